// The dialog styles hand their click to a dialog component bound to the navigator's dataset.
#include "data/dataset.h"
#include "data/datasource.h"
#include "dialogs/wwdialog.h"
#include "navigator/wwdbnavigator.h"
#include "platform/exceptions.h"
#include "platform/properties.h"

#include <QScopeGuard>

namespace {
// The dialog style of a dialog class (or of the nearest such ancestor): "nbs" + the class name
// without "Tww"; -1 when it has none.
int StyleOfDialogClass(const TClassInfo* cls) {
    for (; cls; cls = cls->Parent())
        for (int s = nbsFilterDialog; s <= nbsSearchDialog; ++s)
            if (cls->Name().compare(QStringLiteral("Tww") +
                                        NavStyleStem(static_cast<TwwNavButtonStyle>(s)),
                                    Qt::CaseInsensitive) == 0)
                return s;
    return -1;
}
} // namespace

bool TwwNavButton::OwnsDialog() const {
    return dialog_ && dialog_->Owner() == this;
}

void TwwNavButton::SetDialog(TwwCustomDialog* Value) {
    if (dialog_ && dialog_ != Value) {
        TwwCustomDialog* previous = dialog_;
        dialog_ = nullptr;
        if (previous->Owner() == this)
            delete previous;
        else
            previous->RemoveFreeNotification(this);
    }
    dialog_ = Value;
    if (Value) {
        Value->FreeNotification(this);
        const int style = StyleOfDialogClass(&Value->ClassInfo());
        if (style >= 0) SetStyle(static_cast<TwwNavButtonStyle>(style));
    }
    if (!IsLoading() && dynamic_cast<TwwDBNavigator*>(Parent())) UpdateButtonState(ucGeneral);
}

TwwCustomDialog* TwwNavButton::FindOrCreateDialog() {
    TwwDBNavigator* nav = Navigator();
    TDataSet* ds = nav->GetDataSet(true);
    RegisterDialogClasses();
    const QString className = QStringLiteral("Tww") + NavStyleStem(style_);
    const TClassInfo* cls = FindClass(className);
    if (!cls) throw EInvalidOperation(QStringLiteral("Class %1 not found").arg(className));
    TComponent* owner = style_ == nbsFilterDialog ? static_cast<TComponent*>(ds) : nav;
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        auto* d = dynamic_cast<TwwCustomDialog*>(owner->Components(i));
        if (d && d->IsBoundTo(ds) && d->ClassInfo().InheritsFrom(*cls)) return d;
    }
    auto* d = dynamic_cast<TwwCustomDialog*>(cls->CreateComponent(owner));
    if (!d) throw EInvalidOperation(QStringLiteral("%1 is not a dialog").arg(className));
    auto discard = qScopeGuard([d] { delete d; });
    if (style_ == nbsSearchDialog) {
        if (IsPublishedProp(d, QStringLiteral("SearchTable")))
            SetPropValue(d, QStringLiteral("SearchTable"), QVariant::fromValue<TComponent*>(ds));
    } else if (IsPublishedProp(d, QStringLiteral("DataSource"))) {
        SetPropValue(d, QStringLiteral("DataSource"),
                     QVariant::fromValue<TComponent*>(nav->DataSource()));
    }
    discard.dismiss();
    Fire(OnAfterCreateDialog, d);
    return d;
}

void TwwNavButton::RunDialog() {
    if (!dialog_) {
        if (IsDesigning() || Navigator()->IsDesigning()) return;
        SetDialog(FindOrCreateDialog());
    }
    if (dialog_) dialog_->Execute();
}
