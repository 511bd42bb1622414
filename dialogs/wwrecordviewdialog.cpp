// TwwRecordViewDialog: the current record, one field per line.
#include "common/wwintl.h"
#include "data/dataset.h"
#include "data/fields.h"
#include "dialogs/wwdialog.h"
#include "dialogs/wwdialogwidgets.h"
#include "platform/application.h"
#include "platform/messagebox.h"
#include "platform/properties.h"

#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

RAVELDA_DEFINE_CLASS(TwwRecordViewDialog) {
    c.Property("ReadOnly", &TwwRecordViewDialog::ReadOnly, &TwwRecordViewDialog::SetReadOnly)
        .Default(false);
}

TwwRecordViewDialog::TwwRecordViewDialog(TComponent* AOwner) : TwwDataSourceDialog(AOwner) {
    SetCaption(QStringLiteral("Record View"));
}

TwwRecordViewDialog::~TwwRecordViewDialog() = default;

namespace {

struct FieldEditor {
    TField* Field;
    QLineEdit* Edit;
    QString Original;
};

// Writes the values that differ from what was shown and posts the row; an error leaves the row
// pending in edit mode and passes on.
void ApplyChanges(TDataSet& ds, const std::vector<FieldEditor>& editors) {
    bool changed = false;
    for (const FieldEditor& e : editors)
        changed = changed || e.Edit->text() != e.Original;
    if (!changed) return;
    if (!IsEditMode(ds.State())) ds.Edit();
    for (const FieldEditor& e : editors)
        if (e.Edit->text() != e.Original) e.Field->SetText(e.Edit->text());
    ds.Post();
}

bool AnyChange(const std::vector<FieldEditor>& editors) {
    for (const FieldEditor& e : editors)
        if (e.Edit->text() != e.Original) return true;
    return false;
}

} // namespace

void TwwRecordViewDialog::BuildWindow(QDialog& Window) {
    TDataSet& ds = *CheckDataSet();
    const bool editable = !readOnly_ && ds.CanModify() && !ds.IsEmpty();

    auto* form = new QFormLayout;
    auto editors = std::make_shared<std::vector<FieldEditor>>();
    for (int i = 0; i < ds.FieldCount(); ++i) {
        TField* field = ds.Fields(i);
        if (!field->Visible()) continue;
        const QString text = ds.IsEmpty() ? QString() : field->Text();
        auto* edit = new QLineEdit(text, &Window);
        edit->setObjectName(QStringLiteral("Edit_") + field->FieldName());
        const bool fieldEditable = editable && field->CanModify() && !field->IsBlob();
        edit->setReadOnly(!fieldEditable);
        if (field->DataType() == ftString && field->Size() > 0) edit->setMaxLength(field->Size());
        form->addRow(field->DisplayLabel() + QLatin1Char(':'), edit);
        if (fieldEditable) editors->push_back({field, edit, text});
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* layout = new QVBoxLayout(&Window);
    layout->addLayout(form);
    layout->addLayout(buttons);

    if (!editable) {
        auto* close = new QPushButton(QStringLiteral("Close"), &Window);
        close->setObjectName(QStringLiteral("CloseButton"));
        close->setDefault(true);
        buttons->addWidget(close);
        QObject::connect(close, &QPushButton::clicked, &Window, &QDialog::reject);
        return;
    }
    auto* ok = new QPushButton(DialogTexts().BtnOKCaption(), &Window);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(DialogTexts().BtnCancelCaption(), &Window);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    // A failed post keeps the window open on the typed values, so nothing typed is lost.
    auto apply = [this, &ds, editors, &Window] {
        if (GuardedCall(this, [&] { ApplyChanges(ds, *editors); })) Window.accept();
    };
    QObject::connect(ok, &QPushButton::clicked, &Window, apply);
    QObject::connect(cancel, &QPushButton::clicked, &Window, [&Window, editors, apply] {
        if (!AnyChange(*editors)) {
            Window.reject();
            return;
        }
        const TModalResult answer =
            MessageDlg(DialogTexts().UserMessages()->RecordViewExitWarning(), mtConfirmation,
                       TMsgDlgButtons{mbYes, mbNo, mbCancel});
        if (answer == mrYes)
            apply();
        else if (answer == mrNo)
            Window.reject();
    });
}

bool TwwRecordViewDialog::Finish(int Result) {
    return Result == QDialog::Accepted;
}
