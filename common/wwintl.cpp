#include "common/wwintl.h"

#include "platform/application.h"
#include "platform/exceptions.h"
#include "platform/properties.h"
#include "platform/services.h"

namespace {

const bool kEnumsRegistered = [] {
    RegisterEnum<TwwCheckBoxInGridStyle>(
        QStringLiteral("TwwCheckBoxInGridStyle"),
        {QStringLiteral("cbStyleAuto"), QStringLiteral("cbStyleCheckmark"),
         QStringLiteral("cbStyleXmark"), QStringLiteral("cbStyleCheckmarkFlat")});
    RegisterEnum<TwwGridPaintStyle>(
        QStringLiteral("TwwGridPaintStyle"),
        {QStringLiteral("gpsDynamicDeviceContext"), QStringLiteral("gpsBitmapCanvas")});
    // The font unit registers the same identifiers; a program that uses no font object would not
    // link it in, and DialogFontStyle needs them to be read and written by name.
    RegisterEnum<TFontStyle>(QStringLiteral("TFontStyle"),
                             {QStringLiteral("fsBold"), QStringLiteral("fsItalic"),
                              QStringLiteral("fsUnderline"), QStringLiteral("fsStrikeOut")});
    return true;
}();

TwwIntl* globalIntl = nullptr;

} // namespace

RAVELDA_DEFINE_CLASS(TwwIntl) {
    (void)kEnumsRegistered;
    c.Property("Navigator", &TwwIntl::Navigator);
    c.Property("UserMessages", &TwwIntl::UserMessages);
    c.Property("SearchDialog", &TwwIntl::SearchDialog);
    c.Property("LocateDialog", &TwwIntl::LocateDialog);
    c.Property("MonthCalendar", &TwwIntl::MonthCalendar);
    c.Property("FilterDialog", &TwwIntl::FilterDialog);
    c.Property("RichEdit", &TwwIntl::RichEdit);
    c.Property("ADO", &TwwIntl::ADO);
    c.Property("OKCancelBitmapped", &TwwIntl::OKCancelBitmapped, &TwwIntl::SetOKCancelBitmapped);
    c.Property("BtnOKCaption", &TwwIntl::BtnOKCaption, &TwwIntl::SetBtnOKCaption);
    c.Property("BtnCancelCaption", &TwwIntl::BtnCancelCaption, &TwwIntl::SetBtnCancelCaption);
    c.Property("CheckBoxInGridStyle", &TwwIntl::CheckBoxInGridStyle,
               &TwwIntl::SetCheckBoxInGridStyle);
    c.Property("GridPaintStyle", &TwwIntl::GridPaintStyle, &TwwIntl::SetGridPaintStyle)
        .Default(gpsDynamicDeviceContext);
    c.Property("IniFileName", &TwwIntl::IniFileName, &TwwIntl::SetIniFileName);
    c.Property("UseLocateMethodForSearch", &TwwIntl::UseLocateMethodForSearch,
               &TwwIntl::SetUseLocateMethodForSearch)
        .Default(true);
    c.Property("DialogFontStyle", &TwwIntl::DialogFontStyle, &TwwIntl::SetDialogFontStyle);
    c.Property("DefaultEpochYear", &TwwIntl::DefaultEpochYear, &TwwIntl::SetDefaultEpochYear)
        .Default(1950);
    c.Property("FilterMemoSize", &TwwIntl::FilterMemoSize, &TwwIntl::SetFilterMemoSize);
    c.Property("Connected", &TwwIntl::Connected, &TwwIntl::SetConnected);
    c.Event("OnValidationErrorUsingMask", &TwwIntl::OnValidationErrorUsingMask,
            &TwwIntl::SetOnValidationErrorUsingMask);
}

TwwIntl::TwwIntl(TComponent* AOwner)
    : TComponent(AOwner), navigator_(std::make_unique<TwwDBNavigatorIntl>(this)),
      userMessages_(std::make_unique<TwwUserMessagesIntl>(this)),
      searchDialog_(std::make_unique<TwwSearchDialogIntl>(this)),
      locateDialog_(std::make_unique<TwwLocateDialogIntl>(this)),
      monthCalendar_(std::make_unique<TwwMonthCalendarIntl>(this)),
      filterDialog_(std::make_unique<TwwFilterDialogIntl>(this)),
      richEdit_(std::make_unique<TwwDBRichEditIntl>(this)),
      ado_(std::make_unique<TwwADOIntl>(this)) {}

TwwIntl::~TwwIntl() {
    if (globalIntl == this) {
        globalIntl = nullptr;
    } else if (globalIntl && globalIntl->handlerSource_ == this) {
        // The handler is most likely a method of this component's form, which is going too.
        globalIntl->onValidation_ = nullptr;
        globalIntl->handlerSource_ = nullptr;
    }
}

bool TwwIntl::IsGlobal() const {
    return globalIntl == this;
}

bool TwwIntl::ForwardsToGlobal() const {
    // While loading, the end of loading copies everything at once.
    return connected_ && !IsLoading() && !IsGlobal();
}

void TwwIntl::SetCheckBoxInGridStyle(TwwCheckBoxInGridStyle Value) {
    checkBoxInGridStyle_ = Value;
    if (ForwardsToGlobal())
        if (TwwIntl* g = wwIntl()) g->SetCheckBoxInGridStyle(Value);
}

void TwwIntl::SetGridPaintStyle(TwwGridPaintStyle Value) {
    gridPaintStyle_ = Value;
    if (ForwardsToGlobal())
        if (TwwIntl* g = wwIntl()) g->SetGridPaintStyle(Value);
}

void TwwIntl::SetConnected(bool Value) {
    connected_ = Value;
    if (connected_ && !IsLoading()) CopyIntoGlobal();
}

void TwwIntl::Loaded() {
    inherited::Loaded();
    if (connected_) CopyIntoGlobal();
}

void TwwIntl::SetOnValidationErrorUsingMask(TwwPictureValidationError Value) {
    onValidation_ = std::move(Value);
    handlerSource_ = nullptr;
}

QString TwwIntl::ValidationErrorMessage() {
    return QStringLiteral("Invalid input value.  Use escape key to abandon changes");
}

void TwwIntl::ValidationErrorUsingMask(TObject* Sender, TField* Field) {
    QString msg = ValidationErrorMessage();
    bool doDefault = true;
    if (onValidation_) {
        // A copy: the handler may replace the event while it runs.
        TwwPictureValidationError handler = onValidation_;
        handler(Sender, Field, msg, doDefault);
    }
    if (!doDefault) return;
    MessageBeep(0);
    throw EInvalidOperation(msg);
}

QString wwConnectedIniFileName(const QString& Name) {
    const QString ext = QStringLiteral(".ini");
    if (Name.isEmpty() || Name == ext) return QString();
    return Name + ext;
}

void TwwIntl::CopyIntoGlobal() {
    TwwIntl* g = wwIntl();
    if (!g || g == this) return;
    g->navigator_->Assign(navigator_.get());
    g->userMessages_->Assign(userMessages_.get());
    g->searchDialog_->Assign(searchDialog_.get());
    g->locateDialog_->Assign(locateDialog_.get());
    g->monthCalendar_->Assign(monthCalendar_.get());
    g->filterDialog_->Assign(filterDialog_.get());
    g->richEdit_->Assign(richEdit_.get());
    g->ado_->Assign(ado_.get());
    g->okCancelBitmapped_ = okCancelBitmapped_;
    g->btnOKCaption_ = btnOKCaption_;
    g->btnCancelCaption_ = btnCancelCaption_;
    g->checkBoxInGridStyle_ = checkBoxInGridStyle_;
    g->gridPaintStyle_ = gridPaintStyle_;
    g->onValidation_ = onValidation_;
    g->handlerSource_ = onValidation_ ? this : nullptr;
    g->dialogFontStyle_ = dialogFontStyle_;
    g->useLocateMethodForSearch_ = useLocateMethodForSearch_;
    g->cancelRangeResetsFilter_ = cancelRangeResetsFilter_;
    g->defaultEpochYear_ = defaultEpochYear_;
    g->filterMemoSize_ = filterMemoSize_;
    g->iniFileName_ = wwConnectedIniFileName(iniFileName_);
    g->hasConnectedSource_ = true;
}

// ---- The global instance

TUnit& WwIntlUnit() {
    static TUnit unit(
        [] {
            if (!globalIntl) globalIntl = new TwwIntl(Application);
        },
        [] {
            delete globalIntl; // the destructor clears the reference and leaves the owner
            globalIntl = nullptr;
        });
    return unit;
}

void InitWwIntlUnit() {
    WwIntlUnit().Initialize();
}

void FinalizeWwIntlUnit() {
    WwIntlUnit().Finalize();
}

TwwIntl* wwIntl() {
    WwIntlUnit().Touch();
    return globalIntl;
}

void wwValidationErrorUsingMask(TObject* Sender, TField* Field) {
    if (TwwIntl* g = wwIntl()) {
        g->ValidationErrorUsingMask(Sender, Field);
        return;
    }
    MessageBeep(0);
    throw EInvalidOperation(TwwIntl::ValidationErrorMessage());
}
