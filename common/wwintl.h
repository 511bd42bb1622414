// TwwIntl: every user-visible text of the components and a few settings they share. One global
// instance serves the whole program; components read it through wwIntl() at the moment they need
// a text, so a change shows in everything read afterwards. A program changes the texts by writing
// to the global instance, or by placing its own TwwIntl on a form with Connected true, which
// copies that component's values into the global instance.
//
// Lifetime of the global instance: InitWwIntlUnit() creates it, owned by the application object,
// before the first window; FinalizeWwIntlUnit() frees it after the event loop. Both belong to the
// program's start-up (a TUnitScope over WwIntlUnit() does the pair for a scope). When nobody
// initialised the unit, the first wwIntl() does it, so components also work in programs and tests
// without that step.
#pragma once

#include "common/wwintl_filter.h"
#include "common/wwintl_groups.h"
#include "common/wwintl_richedit.h"

#include "platform/component.h"
#include "platform/font.h"
#include "platform/unit.h"

#include <QString>
#include <functional>
#include <memory>

// The dataset layer's field (data/ builds on this folder's users, not on it).
class TField;

// How the grid draws check-box cells: by the platform's look (cbStyleAuto), as a check mark, as
// a cross, or as a flat check mark.
enum TwwCheckBoxInGridStyle { cbStyleAuto, cbStyleCheckmark, cbStyleXmark, cbStyleCheckmarkFlat };

// How the grid double-buffers: a memory bitmap made for each paint request
// (gpsDynamicDeviceContext), or one persistent off-screen bitmap per grid (gpsBitmapCanvas).
enum TwwGridPaintStyle { gpsDynamicDeviceContext, gpsBitmapCanvas };

// A value failed its picture mask. Msg and DoDefault may be changed: DoDefault false leaves the
// failure unreported (no beep, no error).
using TwwPictureValidationError =
    std::function<void(TObject* Sender, TField* Field, QString& Msg, bool& DoDefault)>;

class TwwIntl : public TComponent {
    RAVELDA_CLASS(TwwIntl, TComponent)
public:
    explicit TwwIntl(TComponent* AOwner);
    // Clears the global reference when this is the global instance; takes back from the global
    // instance a validation handler that was copied from this component, whose target may go
    // with it.
    ~TwwIntl() override;

    // ---- Texts groups (setters copy the given group)
    TwwDBNavigatorIntl* Navigator() const { return navigator_.get(); }
    void SetNavigator(const TwwDBNavigatorIntl* Value) { navigator_->Assign(Value); }
    TwwUserMessagesIntl* UserMessages() const { return userMessages_.get(); }
    void SetUserMessages(const TwwUserMessagesIntl* Value) { userMessages_->Assign(Value); }
    TwwSearchDialogIntl* SearchDialog() const { return searchDialog_.get(); }
    void SetSearchDialog(const TwwSearchDialogIntl* Value) { searchDialog_->Assign(Value); }
    TwwLocateDialogIntl* LocateDialog() const { return locateDialog_.get(); }
    void SetLocateDialog(const TwwLocateDialogIntl* Value) { locateDialog_->Assign(Value); }
    TwwMonthCalendarIntl* MonthCalendar() const { return monthCalendar_.get(); }
    void SetMonthCalendar(const TwwMonthCalendarIntl* Value) { monthCalendar_->Assign(Value); }
    TwwFilterDialogIntl* FilterDialog() const { return filterDialog_.get(); }
    void SetFilterDialog(const TwwFilterDialogIntl* Value) { filterDialog_->Assign(Value); }
    TwwDBRichEditIntl* RichEdit() const { return richEdit_.get(); }
    void SetRichEdit(const TwwDBRichEditIntl* Value) { richEdit_->Assign(Value); }
    TwwADOIntl* ADO() const { return ado_.get(); }
    void SetADO(const TwwADOIntl* Value) { ado_->Assign(Value); }

    // ---- Shared settings
    bool OKCancelBitmapped() const { return okCancelBitmapped_; }
    void SetOKCancelBitmapped(bool Value) { okCancelBitmapped_ = Value; }
    const QString& BtnOKCaption() const { return btnOKCaption_; }
    void SetBtnOKCaption(const QString& Value) { btnOKCaption_ = Value; }
    const QString& BtnCancelCaption() const { return btnCancelCaption_; }
    void SetBtnCancelCaption(const QString& Value) { btnCancelCaption_ = Value; }
    // Written through to the global instance while this component is connected.
    TwwCheckBoxInGridStyle CheckBoxInGridStyle() const { return checkBoxInGridStyle_; }
    void SetCheckBoxInGridStyle(TwwCheckBoxInGridStyle Value);
    TwwGridPaintStyle GridPaintStyle() const { return gridPaintStyle_; }
    void SetGridPaintStyle(TwwGridPaintStyle Value);
    const QString& IniFileName() const { return iniFileName_; }
    void SetIniFileName(const QString& Value) { iniFileName_ = Value; }
    bool UseLocateMethodForSearch() const { return useLocateMethodForSearch_; }
    void SetUseLocateMethodForSearch(bool Value) { useLocateMethodForSearch_ = Value; }
    TFontStyles DialogFontStyle() const { return dialogFontStyle_; }
    void SetDialogFontStyle(TFontStyles Value) { dialogFontStyle_ = Value; }
    int DefaultEpochYear() const { return defaultEpochYear_; }
    void SetDefaultEpochYear(int Value) { defaultEpochYear_ = Value; }
    int FilterMemoSize() const { return filterMemoSize_; }
    void SetFilterMemoSize(int Value) { filterMemoSize_ = Value; }
    // Not published: the switch the extended table consults when it cancels a range (whether the
    // row filters go with the range). On in a new instance; copied on connect.
    bool CancelRangeResetsFilter() const { return cancelRangeResetsFilter_; }
    void SetCancelRangeResetsFilter(bool Value) { cancelRangeResetsFilter_ = Value; }

    // ---- Connecting
    bool Connected() const { return connected_; }
    // Stores the value; true copies this component's values into the global instance (while
    // loading, the end of loading does it once every value is read).
    void SetConnected(bool Value);
    // True for the global instance.
    bool IsGlobal() const;
    // On the global instance: whether a connected component has copied its values into it (the
    // global instance's own Connected stays as written, since Connected is not copied). The
    // grid's settings file name, which a connected component supplies, depends on it.
    bool HasConnectedSource() const { return hasConnectedSource_; }

    // ---- Mask validation errors
    const TwwPictureValidationError& OnValidationErrorUsingMask() const { return onValidation_; }
    void SetOnValidationErrorUsingMask(TwwPictureValidationError Value);
    // A value of Field failed its picture mask: tells OnValidationErrorUsingMask, then, unless
    // the handler cleared DoDefault, beeps and raises EInvalidOperation with the message
    // (ValidationErrorMessage() unless the handler changed it).
    void ValidationErrorUsingMask(TObject* Sender, TField* Field);
    static QString ValidationErrorMessage();

    void Loaded() override;

private:
    void CopyIntoGlobal();
    bool ForwardsToGlobal() const;

    std::unique_ptr<TwwDBNavigatorIntl> navigator_;
    std::unique_ptr<TwwUserMessagesIntl> userMessages_;
    std::unique_ptr<TwwSearchDialogIntl> searchDialog_;
    std::unique_ptr<TwwLocateDialogIntl> locateDialog_;
    std::unique_ptr<TwwMonthCalendarIntl> monthCalendar_;
    std::unique_ptr<TwwFilterDialogIntl> filterDialog_;
    std::unique_ptr<TwwDBRichEditIntl> richEdit_;
    std::unique_ptr<TwwADOIntl> ado_;
    bool okCancelBitmapped_ = true;
    QString btnOKCaption_ = QStringLiteral("&OK");
    QString btnCancelCaption_ = QStringLiteral("Cancel");
    TwwCheckBoxInGridStyle checkBoxInGridStyle_ = cbStyleAuto;
    TwwGridPaintStyle gridPaintStyle_ = gpsDynamicDeviceContext;
    QString iniFileName_;
    bool useLocateMethodForSearch_ = true;
    TFontStyles dialogFontStyle_;
    int defaultEpochYear_ = 1950;
    int filterMemoSize_ = 65536;
    bool cancelRangeResetsFilter_ = true;
    bool connected_ = false;
    bool hasConnectedSource_ = false;
    TwwPictureValidationError onValidation_;
    // On the global instance: the connected component its validation handler came from.
    const TwwIntl* handlerSource_ = nullptr;
};

// ---- The global instance

// The global texts object, or nullptr once it has been freed. The first call initialises the unit
// when start-up has not.
TwwIntl* wwIntl();
// The texts unit: initialising creates the global instance (owned by Application when it
// exists) unless one exists; finalising frees it, and a later initialisation starts a new one.
TUnit& WwIntlUnit();
void InitWwIntlUnit();
void FinalizeWwIntlUnit();

// The validation error report through the global instance; without one (after finalisation),
// the default report: beep and EInvalidOperation.
void wwValidationErrorUsingMask(TObject* Sender, TField* Field);

// The IniFileName a connected component gives the global instance: empty for an empty name or
// exactly ".ini", otherwise the name with ".ini" appended.
QString wwConnectedIniFileName(const QString& Name);
