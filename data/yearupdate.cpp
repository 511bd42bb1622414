#include "data/yearupdate.h"

#include "data/dataset.h"
#include "data/fields.h"
#include "platform/clock.h"

#include <QVariantList>

namespace {

constexpr TYearUpdatePair kPairs[] = {
    {"BOLLE.DB", "0"},   {"FATTURE.DB", "0"},    {"FATTURE.DB", "1"},
    {"ORDINIF.DB", "0"}, {"PREVENTIVI.DB", "0"}, {"PREVENTIVIF.DB", "0"},
};

} // namespace

std::span<const TYearUpdatePair> YearUpdatePairs() {
    return kPairs;
}

quint16 YearUpdateCurrentYear() {
    return static_cast<quint16>(Date().year());
}

int RunYearUpdate(TDataSet* KeyTable, quint16 Year, const TYearUpdateRowEvent& OnRowAdded,
                  TYearUpdateMode Mode) {
    int added = 0;
    for (const TYearUpdatePair& pair : kPairs) {
        const QString tabella = QString::fromLatin1(pair.Tabella);
        const QString registro = QString::fromLatin1(pair.Registro);
        // Each value is converted to its field's type: the year to text, the register to an
        // integer. The look-up also settles a row left pending by an earlier run.
        if (KeyTable->Locate(QStringLiteral("Tabella;Anno;Registro"),
                             QVariantList{tabella, static_cast<int>(Year), registro}))
            continue;
        const TYearUpdateRow row{tabella, QString::number(Year), registro.toInt()};
        if (Mode == TYearUpdateMode::Write) {
            KeyTable->Insert();
            KeyTable->FieldByName(QStringLiteral("Tabella"))->SetAsString(row.Tabella);
            KeyTable->FieldByName(QStringLiteral("Anno"))->SetAsString(row.Anno);
            KeyTable->FieldByName(QStringLiteral("Registro"))->SetAsInteger(row.Registro);
            KeyTable->FieldByName(QStringLiteral("Chiave"))->SetAsInteger(0);
            KeyTable->Post();
        }
        ++added;
        if (OnRowAdded) OnRowAdded(row);
    }
    return added;
}
