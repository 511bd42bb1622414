#include "dialogs/wwdialogwidgets.h"

#include "common/wwintl.h"
#include "data/dataset.h"
#include "data/fields.h"

#include <QComboBox>

void FillFieldCombo(QComboBox& Combo, const TDataSet& DataSet, const QString& Selected) {
    Combo.clear();
    for (int i = 0; i < DataSet.FieldCount(); ++i) {
        const TField* field = DataSet.Fields(i);
        if (!field->Visible() || field->IsBlob()) continue;
        Combo.addItem(field->DisplayLabel(), field->FieldName());
        if (field->FieldName().compare(Selected, Qt::CaseInsensitive) == 0)
            Combo.setCurrentIndex(Combo.count() - 1);
    }
    if (Combo.currentIndex() < 0 && Combo.count() > 0) Combo.setCurrentIndex(0);
}

QString ComboFieldName(const QComboBox& Combo) {
    return Combo.currentIndex() < 0 ? QString() : Combo.currentData().toString();
}

bool IsTextField(const TField& Field) {
    return Field.DataType() == ftString || Field.DataType() == ftMemo ||
           Field.DataType() == ftFmtMemo;
}

const TwwIntl& DialogTexts() {
    if (const TwwIntl* global = wwIntl()) return *global;
    static const TwwIntl* defaults = new TwwIntl(nullptr);
    return *defaults;
}
