// Small widget helpers shared by the dialogs.
#pragma once

#include <QString>

class QComboBox;
class QDialog;
class TDataSet;
class TField;

// Fills Combo with the dataset's visible data fields (display label shown, field name as the
// item's data) and selects Selected, else the first one.
void FillFieldCombo(QComboBox& Combo, const TDataSet& DataSet, const QString& Selected);
// The field name of the combo's current item (empty when none).
QString ComboFieldName(const QComboBox& Combo);
// Whether the field holds text (compared as text rather than as a value).
bool IsTextField(const TField& Field);

class TwwIntl;
// The texts the dialogs show: the global texts object, or the default texts once it has gone
// (after the texts unit finished), so a late dialog still has its words.
const TwwIntl& DialogTexts();
