// Helpers of the program's tests: a fresh application object per test (closing the main window
// terminates the one it belongs to for good), and the key table read back in key order.
#pragma once

#include "data/fields.h"
#include "data/table.h"
#include "platform/application.h"
#include "tests/support/dataset_helpers.h"

#include <memory>
#include <tuple>
#include <vector>

namespace ravelda::test {

// Puts a new Application in place for its lifetime and the previous one back afterwards.
class FreshApplication {
public:
    FreshApplication() : previous_(Application) {
        app_ = std::make_unique<TApplication>(nullptr);
        Application = app_.get();
    }
    ~FreshApplication() {
        app_.reset();
        Application = previous_;
    }
    FreshApplication(const FreshApplication&) = delete;
    FreshApplication& operator=(const FreshApplication&) = delete;

private:
    TApplication* previous_;
    std::unique_ptr<TApplication> app_;
};

inline bool operator==(const KeyRow& a, const KeyRow& b) {
    return std::tie(a.tabella, a.anno, a.registro, a.chiave) ==
           std::tie(b.tabella, b.anno, b.registro, b.chiave);
}

inline void PrintTo(const KeyRow& r, std::ostream* os) {
    *os << "{" << r.tabella << ", " << r.anno << ", " << r.registro << ", " << r.chiave << "}";
}

// Every row of the table, in key order, through a table of its own (as another program sees it).
inline std::vector<KeyRow> ReadKeyRows(const QString& alias = QStringLiteral("quennarix"),
                                       const QString& name = QStringLiteral("Keys.DB")) {
    TTable table(nullptr);
    table.SetDatabaseName(alias);
    table.SetTableName(name);
    table.Open();
    std::vector<KeyRow> rows;
    for (table.First(); !table.Eof(); table.Next())
        rows.push_back(
            {table.FieldByName(QStringLiteral("Tabella"))->AsString().toStdString(),
             table.FieldByName(QStringLiteral("Anno"))->AsString().toStdString(),
             static_cast<int>(table.FieldByName(QStringLiteral("Registro"))->AsInteger()),
             static_cast<int>(table.FieldByName(QStringLiteral("Chiave"))->AsInteger())});
    return rows;
}

} // namespace ravelda::test
