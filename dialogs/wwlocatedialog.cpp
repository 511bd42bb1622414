// TwwLocateDialog: find the first or the next row whose field matches a value.
#include "common/wwintl.h"
#include "data/dataset.h"
#include "data/fields.h"
#include "dialogs/wwdialog.h"
#include "dialogs/wwdialogwidgets.h"
#include "platform/application.h"
#include "platform/messagebox.h"
#include "platform/properties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QVBoxLayout>

static const bool raveldaLocateMatchTypeEnum = RegisterEnum<TwwLocateMatchType>(
    QStringLiteral("TwwLocateMatchType"),
    {QStringLiteral("mtExactMatch"), QStringLiteral("mtPartialMatchStart"),
     QStringLiteral("mtPartialMatchAny")});

RAVELDA_DEFINE_CLASS(TwwLocateDialog) {
    (void)raveldaLocateMatchTypeEnum;
    c.Property("SearchField", &TwwLocateDialog::SearchField, &TwwLocateDialog::SetSearchField);
    c.Property("FieldValue", &TwwLocateDialog::FieldValue, &TwwLocateDialog::SetFieldValue);
    c.Property("CaseSensitive", &TwwLocateDialog::CaseSensitive, &TwwLocateDialog::SetCaseSensitive)
        .Default(false);
    c.Property("MatchType", &TwwLocateDialog::MatchType, &TwwLocateDialog::SetMatchType)
        .Default(mtPartialMatchStart);
}

TwwLocateDialog::TwwLocateDialog(TComponent* AOwner) : TwwDataSourceDialog(AOwner) {
    SetCaption(QStringLiteral("Locate Field Value"));
}

TwwLocateDialog::~TwwLocateDialog() = default;

namespace {

TField* SearchFieldOf(TDataSet& ds, const QString& name) {
    if (!name.isEmpty()) return ds.FieldByName(name);
    for (int i = 0; i < ds.FieldCount(); ++i)
        if (ds.Fields(i)->Visible()) return ds.Fields(i);
    throw EInvalidOperation(QStringLiteral("The dataset has no field to look in"));
}

} // namespace

bool TwwLocateDialog::Matches(const QString& FieldText) const {
    const Qt::CaseSensitivity cs = caseSensitive_ ? Qt::CaseSensitive : Qt::CaseInsensitive;
    switch (matchType_) {
    case mtExactMatch:
        return FieldText.compare(fieldValue_, cs) == 0;
    case mtPartialMatchStart:
        return FieldText.startsWith(fieldValue_, cs);
    case mtPartialMatchAny:
        return FieldText.contains(fieldValue_, cs);
    }
    return false;
}

// Walks the rows from the first one (or from the one after the current) with the controls
// disabled, so the grid does not follow every step; the cursor goes back when nothing matches.
bool TwwLocateDialog::ScanFrom(bool FromFirst) {
    TDataSet& ds = *CheckDataSet();
    ds.CheckBrowseMode();
    TField* field = SearchFieldOf(ds, searchField_);
    // Non-text fields compare by value for an exact match ("7" finds 7 and 7.0).
    QVariant wanted;
    if (matchType_ == mtExactMatch && !IsTextField(*field)) {
        bool outOfRange = false;
        wanted = field->ConvertValue(QVariant(fieldValue_.trimmed()), outOfRange);
        if (outOfRange) return false;
    }
    const TBookmark start = ds.GetBookmark();
    bool found = false;
    ds.DisableControls();
    auto enableControls = qScopeGuard([&ds] { ds.EnableControls(); });
    bool onRow = !ds.IsEmpty();
    if (FromFirst)
        ds.First();
    else
        onRow = onRow && ds.MoveBy(1) != 0;
    while (onRow) {
        const bool hit = wanted.isValid() ? (!field->IsNull() && field->Value() == wanted)
                                          : Matches(field->AsString());
        if (hit) {
            found = true;
            break;
        }
        onRow = ds.MoveBy(1) != 0;
    }
    if (!found && !start.IsEmpty()) ds.GotoBookmark(start);
    enableControls.dismiss();
    ds.EnableControls(); // here, not in the guard: a data link may raise
    return found;
}

bool TwwLocateDialog::FindFirst() {
    TDataSet& ds = *CheckDataSet();
    TField* field = SearchFieldOf(ds, searchField_);
    // The dataset's own Locate does exact and start-of-text matches of text fields, and exact
    // matches of the others; the rest is a scan.
    const bool byLocate =
        matchType_ == mtExactMatch || (matchType_ == mtPartialMatchStart && IsTextField(*field));
    if (!byLocate) return ScanFrom(true);
    TLocateOptions options;
    if (!caseSensitive_ && IsTextField(*field)) options.Include(loCaseInsensitive);
    if (matchType_ == mtPartialMatchStart) options.Include(loPartialKey);
    const QVariant value =
        IsTextField(*field) ? QVariant(fieldValue_) : QVariant(fieldValue_.trimmed());
    return ds.Locate(field->FieldName(), value, options);
}

bool TwwLocateDialog::FindNext() {
    return ScanFrom(false);
}

void TwwLocateDialog::FindAndTell(bool First) {
    const bool found = First ? FindFirst() : FindNext();
    if (found) {
        found_ = true;
        return;
    }
    const TwwUserMessagesIntl& texts = *DialogTexts().UserMessages();
    MessageDlg(First ? texts.LocateNoMatches() : texts.LocateNoMoreMatches(), mtInformation,
               TMsgDlgButtons{mbOK});
}

void TwwLocateDialog::BuildWindow(QDialog& Window) {
    const TwwLocateDialogIntl& texts = *DialogTexts().LocateDialog();
    TDataSet& ds = *CheckDataSet();
    found_ = false;

    auto* fields = new QComboBox(&Window);
    fields->setObjectName(QStringLiteral("FieldCombo"));
    fields->setToolTip(texts.FieldNameHint());
    FillFieldCombo(*fields, ds, searchField_);
    auto* value = new QLineEdit(fieldValue_, &Window);
    value->setObjectName(QStringLiteral("ValueEdit"));
    value->setToolTip(texts.FieldValueHint());
    auto* caseSensitive = new QCheckBox(texts.CaseSensitiveLabel(), &Window);
    caseSensitive->setObjectName(QStringLiteral("CaseSensitiveCheck"));
    caseSensitive->setToolTip(texts.CaseSensitiveHint());
    caseSensitive->setChecked(caseSensitive_);

    auto* matchBox = new QGroupBox(texts.SearchTypeLabel(), &Window);
    auto* matchLayout = new QVBoxLayout(matchBox);
    QRadioButton* match[3] = {
        new QRadioButton(texts.MatchExactLabel(), matchBox),
        new QRadioButton(texts.MatchStartLabel(), matchBox),
        new QRadioButton(texts.MatchAnyLabel(), matchBox),
    };
    const QString names[3] = {QStringLiteral("MatchExact"), QStringLiteral("MatchStart"),
                              QStringLiteral("MatchAny")};
    const QString hints[3] = {texts.MatchExactHint(), texts.MatchStartHint(), texts.MatchAnyHint()};
    for (int i = 0; i < 3; ++i) {
        match[i]->setObjectName(names[i]);
        match[i]->setToolTip(hints[i]);
        match[i]->setChecked(static_cast<int>(matchType_) == i);
        matchLayout->addWidget(match[i]);
    }

    auto* first = new QPushButton(texts.BtnFirst(), &Window);
    first->setObjectName(QStringLiteral("FirstButton"));
    first->setToolTip(texts.BtnFirstHint());
    first->setDefault(true);
    auto* next = new QPushButton(texts.BtnNext(), &Window);
    next->setObjectName(QStringLiteral("NextButton"));
    next->setToolTip(texts.BtnNextHint());
    auto* close = new QPushButton(texts.BtnClose(), &Window);
    close->setObjectName(QStringLiteral("CloseButton"));

    auto* form = new QFormLayout;
    form->addRow(texts.FieldsLabel(), fields);
    form->addRow(texts.FieldValueLabel(), value);
    form->addRow(QString(), caseSensitive);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(first);
    buttons->addWidget(next);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(&Window);
    layout->addLayout(form);
    layout->addWidget(matchBox);
    layout->addLayout(buttons);

    // The widgets are read into the properties before each search, so the next run starts from
    // the last settings.
    auto take = [this, fields, value, caseSensitive, match] {
        searchField_ = ComboFieldName(*fields);
        fieldValue_ = value->text();
        caseSensitive_ = caseSensitive->isChecked();
        for (int i = 0; i < 3; ++i)
            if (match[i]->isChecked()) matchType_ = static_cast<TwwLocateMatchType>(i);
    };
    QObject::connect(first, &QPushButton::clicked, &Window, [this, take] {
        GuardedCall(this, [&] {
            take();
            FindAndTell(true);
        });
    });
    QObject::connect(next, &QPushButton::clicked, &Window, [this, take] {
        GuardedCall(this, [&] {
            take();
            FindAndTell(false);
        });
    });
    QObject::connect(close, &QPushButton::clicked, &Window, [&Window, take] {
        take();
        Window.accept();
    });
}

bool TwwLocateDialog::Finish(int) {
    return found_;
}
