// TwwFilterDialog: one criterion written into the dataset's "wwFilter" list.
#include "common/wwintl.h"
#include "data/dataset.h"
#include "data/fields.h"
#include "dialogs/wwdialog.h"
#include "dialogs/wwdialogwidgets.h"
#include "platform/application.h"
#include "platform/messagebox.h"
#include "platform/properties.h"
#include "platform/strings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString FilterProperty = QStringLiteral("wwFilter");

const QStringList& Operators() {
    static const QStringList ops = {QStringLiteral("="), QStringLiteral("<>"),
                                    QStringLiteral("<"), QStringLiteral("<="),
                                    QStringLiteral(">"), QStringLiteral(">=")};
    return ops;
}

bool IsNumericField(const TField& f) {
    switch (f.DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return true;
    default:
        return false;
    }
}

} // namespace

RAVELDA_DEFINE_CLASS(TwwFilterDialog) {
    c.Property("FieldName", &TwwFilterDialog::FieldName, &TwwFilterDialog::SetFieldName);
    c.Property("Operator", &TwwFilterDialog::Operator, &TwwFilterDialog::SetOperator).Default("=");
    c.Property("Value", &TwwFilterDialog::Value, &TwwFilterDialog::SetValue);
    c.Property("AddToFilter", &TwwFilterDialog::AddToFilter, &TwwFilterDialog::SetAddToFilter)
        .Default(false);
}

TwwFilterDialog::TwwFilterDialog(TComponent* AOwner) : TwwDataSourceDialog(AOwner) {
    SetCaption(DialogTexts().FilterDialog()->FormCaption());
}

TwwFilterDialog::~TwwFilterDialog() = default;

bool TwwFilterDialog::CanFilter() const {
    const TDataSet* ds = BoundDataSet();
    return ds && GetStringsProp(ds, FilterProperty) != nullptr;
}

QString TwwFilterDialog::CriterionText() const {
    TDataSet& ds = *CheckDataSet();
    const TField* field = ds.FieldByName(fieldName_);
    if (!Operators().contains(operator_))
        throw EInvalidOperation(QStringLiteral("Unknown comparison '%1'").arg(operator_));
    QString operand;
    if (IsNumericField(*field)) {
        // Checked against the field, so that a criterion the table could not hold is refused
        // here rather than by the filter.
        bool outOfRange = false;
        const QVariant v = field->ConvertValue(QVariant(value_.trimmed()), outOfRange);
        if (outOfRange || !v.isValid())
            throw EInvalidOperation(QStringLiteral("'%1' is not a valid value for field '%2'")
                                        .arg(value_, field->DisplayName()));
        operand = v.toString();
    } else {
        if (value_.contains(QLatin1Char('"')))
            throw EInvalidOperation(
                QStringLiteral("A filter value cannot contain a double quote (\")"));
        operand = QLatin1Char('"') + value_ + QLatin1Char('"');
    }
    return field->FieldName() + QLatin1Char(' ') + operator_ + QLatin1Char(' ') + operand;
}

void TwwFilterDialog::ApplyFilter() {
    TDataSet& ds = *CheckDataSet();
    if (!CanFilter())
        throw EInvalidOperation(QStringLiteral("The dataset %1 cannot be filtered")
                                    .arg(ds.Name().isEmpty() ? ds.ClassName() : ds.Name()));
    const QString line = CriterionText();
    TStringList lines;
    if (addToFilter_) lines.Assign(GetStringsProp(&ds, FilterProperty));
    lines.Add(line);
    SetPropValue(&ds, FilterProperty, QVariant::fromValue<TPersistent*>(&lines));
}

void TwwFilterDialog::ClearFilter() {
    TDataSet& ds = *CheckDataSet();
    if (!CanFilter()) return;
    TStringList none;
    SetPropValue(&ds, FilterProperty, QVariant::fromValue<TPersistent*>(&none));
}

void TwwFilterDialog::BuildWindow(QDialog& Window) {
    const TwwFilterDialogIntl& texts = *DialogTexts().FilterDialog();
    TDataSet& ds = *CheckDataSet();

    auto* fields = new QComboBox(&Window);
    fields->setObjectName(QStringLiteral("FieldCombo"));
    fields->setToolTip(texts.FieldsHint());
    FillFieldCombo(*fields, ds, fieldName_);
    auto* ops = new QComboBox(&Window);
    ops->setObjectName(QStringLiteral("OperatorCombo"));
    ops->addItems(Operators());
    ops->setCurrentIndex(std::max(0, static_cast<int>(Operators().indexOf(operator_))));
    auto* value = new QLineEdit(value_, &Window);
    value->setObjectName(QStringLiteral("ValueEdit"));
    value->setToolTip(texts.FieldValueHint());
    auto* add = new QCheckBox(QStringLiteral("Add to the current filter"), &Window);
    add->setObjectName(QStringLiteral("AddCheck"));
    add->setChecked(addToFilter_);

    auto* apply = new QPushButton(texts.BtnApply(), &Window);
    apply->setObjectName(QStringLiteral("ApplyButton"));
    apply->setToolTip(texts.BtnApplyHint());
    apply->setDefault(true);
    auto* clearAll = new QPushButton(texts.BtnClearAll(), &Window);
    clearAll->setObjectName(QStringLiteral("ClearAllButton"));
    clearAll->setToolTip(texts.BtnClearAllHint());
    auto* cancel = new QPushButton(DialogTexts().BtnCancelCaption(), &Window);
    cancel->setObjectName(QStringLiteral("CancelButton"));

    auto* form = new QFormLayout;
    form->addRow(texts.FieldsLabel(), fields);
    form->addRow(texts.MatchTypeLabel(), ops);
    form->addRow(texts.FieldValueLabel(), value);
    form->addRow(QString(), add);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(apply);
    buttons->addWidget(clearAll);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(&Window);
    layout->addLayout(form);
    layout->addLayout(buttons);

    // A refused criterion keeps the window open on what was typed.
    QObject::connect(apply, &QPushButton::clicked, &Window,
                     [this, fields, ops, value, add, &Window] {
                         fieldName_ = ComboFieldName(*fields);
                         operator_ = ops->currentText();
                         value_ = value->text();
                         addToFilter_ = add->isChecked();
                         if (GuardedCall(this, [&] { ApplyFilter(); })) Window.accept();
                     });
    QObject::connect(clearAll, &QPushButton::clicked, &Window, [this, &Window] {
        if (GuardedCall(this, [&] { ClearFilter(); })) Window.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &Window, &QDialog::reject);
}

bool TwwFilterDialog::Finish(int Result) {
    return Result == QDialog::Accepted;
}

bool TwwFilterDialog::Execute() {
    TDataSet& ds = *CheckDataSet();
    if (!CanFilter()) {
        MessageDlg(QStringLiteral("The dataset %1 cannot be filtered.")
                       .arg(ds.Name().isEmpty() ? ds.ClassName() : ds.Name()),
                   mtInformation, TMsgDlgButtons{mbOK});
        return false;
    }
    return TwwDataSourceDialog::Execute();
}
