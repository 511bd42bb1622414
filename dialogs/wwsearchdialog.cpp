// TwwSearchDialog: incremental search of one field of SearchTable.
#include "common/wwintl.h"
#include "data/dataset.h"
#include "data/fields.h"
#include "dialogs/wwdialog.h"
#include "dialogs/wwdialogwidgets.h"
#include "platform/application.h"
#include "platform/properties.h"
#include "platform/services.h"

#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

RAVELDA_DEFINE_CLASS(TwwSearchDialog) {
    c.Property("SearchTable", &TwwSearchDialog::SearchTable, &TwwSearchDialog::SetSearchTable);
    c.Property("SearchField", &TwwSearchDialog::SearchField, &TwwSearchDialog::SetSearchField);
}

TwwSearchDialog::TwwSearchDialog(TComponent* AOwner) : TwwCustomDialog(AOwner) {
    SetCaption(QStringLiteral("Search"));
}

TwwSearchDialog::~TwwSearchDialog() {
    SetSearchTable(nullptr);
}

void TwwSearchDialog::SetSearchTable(TDataSet* Value) {
    if (Value == searchTable_) return;
    if (searchTable_) searchTable_->RemoveFreeNotification(this);
    searchTable_ = Value;
    if (searchTable_) searchTable_->FreeNotification(this);
}

TDataSet* TwwSearchDialog::BoundDataSet() const {
    return searchTable_;
}

void TwwSearchDialog::Notification(TComponent* AComponent, TOperation Operation) {
    TwwCustomDialog::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == searchTable_) searchTable_ = nullptr;
}

bool TwwSearchDialog::SearchFor(const QString& Text) {
    TDataSet& ds = *CheckDataSet();
    TField* field = nullptr;
    if (!searchField_.isEmpty()) {
        field = ds.FieldByName(searchField_);
    } else {
        for (int i = 0; i < ds.FieldCount() && !field; ++i)
            if (ds.Fields(i)->Visible()) field = ds.Fields(i);
        if (!field) return false;
    }
    if (Text.isEmpty()) return true;
    if (IsTextField(*field))
        return ds.Locate(field->FieldName(), Text, TLocateOptions{loCaseInsensitive, loPartialKey});
    // A number is looked up whole; text that is not (yet) one finds nothing.
    try {
        bool outOfRange = false;
        field->ConvertValue(QVariant(Text.trimmed()), outOfRange);
        if (outOfRange) return false;
    } catch (const EConvertError&) {
        return false;
    }
    return ds.Locate(field->FieldName(), Text.trimmed());
}

namespace {

QString StatusText(const TDataSet& ds) {
    const TwwSearchDialogIntl& texts = *DialogTexts().SearchDialog();
    if (ds.RecNo() < 0) return QString();
    return QStringLiteral("%1 %2 %3 %4")
        .arg(texts.StatusRecLabel())
        .arg(ds.RecNo())
        .arg(texts.StatusOfLabel())
        .arg(ds.RecordCount());
}

} // namespace

void TwwSearchDialog::BuildWindow(QDialog& Window) {
    const TwwSearchDialogIntl& texts = *DialogTexts().SearchDialog();
    TDataSet& ds = *CheckDataSet();
    ds.CheckBrowseMode();
    start_ = ds.GetBookmark();

    auto* fields = new QComboBox(&Window);
    fields->setObjectName(QStringLiteral("FieldCombo"));
    fields->setToolTip(texts.SearchByHint());
    FillFieldCombo(*fields, ds, searchField_);
    searchField_ = ComboFieldName(*fields);
    auto* value = new QLineEdit(&Window);
    value->setObjectName(QStringLiteral("ValueEdit"));
    value->setToolTip(texts.SearchCharHint());
    auto* status = new QLabel(StatusText(ds), &Window);
    status->setObjectName(QStringLiteral("StatusLabel"));
    auto* ok = new QPushButton(DialogTexts().BtnOKCaption(), &Window);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(DialogTexts().BtnCancelCaption(), &Window);
    cancel->setObjectName(QStringLiteral("CancelButton"));

    auto* form = new QFormLayout;
    form->addRow(texts.SearchByLabel(), fields);
    form->addRow(texts.SearchCharLabel(), value);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(&Window);
    layout->addLayout(form);
    layout->addLayout(buttons);

    auto search = [this, value, status, &ds] {
        GuardedCall(this, [&] {
            if (!SearchFor(value->text())) MessageBeep();
            status->setText(StatusText(ds));
        });
    };
    QObject::connect(value, &QLineEdit::textChanged, &Window, search);
    QObject::connect(fields, &QComboBox::currentIndexChanged, &Window, [this, fields, search] {
        searchField_ = ComboFieldName(*fields);
        search();
    });
    QObject::connect(ok, &QPushButton::clicked, &Window, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &Window, &QDialog::reject);
}

bool TwwSearchDialog::Finish(int Result) {
    const TBookmark start = start_;
    start_.Clear();
    if (Result == QDialog::Accepted) return true;
    // Cancel: back to the row the search started on, when it is still there.
    TDataSet* ds = BoundDataSet();
    if (ds && ds->Active() && !start.IsEmpty() && ds->BookmarkValid(start)) ds->GotoBookmark(start);
    return false;
}
