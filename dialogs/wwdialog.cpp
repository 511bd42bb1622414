// The dialog base: binding, the modal run and its seam, and the class registrations.
#include "dialogs/wwdialog.h"

#include "data/dataset.h"
#include "data/datasource.h"
#include "platform/exceptions.h"
#include "platform/properties.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

namespace {

TwwDialogRunner& Runner() {
    static TwwDialogRunner runner;
    return runner;
}

// The classic look for the few Qt widgets of the dialogs; one style shared by all of them, owned
// by the Qt application.
QStyle* ClassicStyle() {
    static QPointer<QStyle> style;
    if (!style) {
        style = QStyleFactory::create(QStringLiteral("Windows"));
        if (style && qApp) style->setParent(qApp);
    }
    return style;
}

} // namespace

RAVELDA_DEFINE_CLASS(TwwCustomDialog) {
    c.Property("Caption", &TwwCustomDialog::Caption, &TwwCustomDialog::SetCaption);
}

TwwCustomDialog::TwwCustomDialog(TComponent* AOwner) : TComponent(AOwner) {}

TwwCustomDialog::~TwwCustomDialog() = default;

TDataSet* TwwCustomDialog::BoundDataSet() const {
    return nullptr;
}

bool TwwCustomDialog::IsBoundTo(const TDataSet* DataSet) const {
    return DataSet && BoundDataSet() == DataSet;
}

TDataSet* TwwCustomDialog::CheckDataSet() const {
    TDataSet* ds = BoundDataSet();
    if (!ds) throw EInvalidOperation(ClassName() + QStringLiteral(" is not bound to a dataset"));
    if (!ds->Active())
        throw EInvalidOperation(ClassName() + QStringLiteral(": the dataset is not open"));
    return ds;
}

bool TwwCustomDialog::Execute() {
    CheckDataSet();
    // A dialog that is already showing is not run a second time from inside itself.
    if (window_) return false;
    struct Reset {
        std::unique_ptr<QDialog>& w;
        ~Reset() { w.reset(); }
    } reset{window_};
    window_ = std::make_unique<QDialog>();
    window_->setWindowTitle(caption_);
    window_->setObjectName(Name().isEmpty() ? ClassName() : Name());
    BuildWindow(*window_);
    if (QStyle* style = ClassicStyle()) {
        window_->setStyle(style);
        for (QWidget* child : window_->findChildren<QWidget*>())
            child->setStyle(style);
    }
    const int result = RunDialogWindow(*window_);
    return Finish(result);
}

bool TwwCustomDialog::Finish(int Result) {
    return Result == QDialog::Accepted;
}

// ---- Bound through a data source

RAVELDA_DEFINE_CLASS(TwwDataSourceDialog) {
    c.Property("DataSource", &TwwDataSourceDialog::DataSource, &TwwDataSourceDialog::SetDataSource);
}

TwwDataSourceDialog::TwwDataSourceDialog(TComponent* AOwner) : TwwCustomDialog(AOwner) {}

TwwDataSourceDialog::~TwwDataSourceDialog() {
    SetDataSource(nullptr);
}

void TwwDataSourceDialog::SetDataSource(TDataSource* Value) {
    if (Value == dataSource_) return;
    if (dataSource_) dataSource_->RemoveFreeNotification(this);
    dataSource_ = Value;
    if (dataSource_) dataSource_->FreeNotification(this);
}

TDataSet* TwwDataSourceDialog::BoundDataSet() const {
    return dataSource_ ? dataSource_->DataSet() : nullptr;
}

void TwwDataSourceDialog::Notification(TComponent* AComponent, TOperation Operation) {
    TwwCustomDialog::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == dataSource_) dataSource_ = nullptr;
}

// ---- The modal run

TwwDialogRunner SetDialogRunner(TwwDialogRunner Runner_) {
    TwwDialogRunner previous = std::move(Runner());
    Runner() = std::move(Runner_);
    return previous;
}

int RunDialogWindow(QDialog& Window) {
    if (Runner()) return Runner()(Window);
    return Window.exec();
}

void RegisterDialogClasses() {
    for (const TClassInfo* info :
         {&TwwCustomDialog::StaticClass(), &TwwDataSourceDialog::StaticClass(),
          &TwwFilterDialog::StaticClass(), &TwwRecordViewDialog::StaticClass(),
          &TwwLocateDialog::StaticClass(), &TwwSearchDialog::StaticClass()})
        (void)info;
}
