#pragma once
// Shared set-up of the dialog tests: a key table on a temporary alias with its data source, and
// a runner that drives the modal window in place of a user.
#include "data/datasource.h"
#include "data/fields.h"
#include "data/wwtable.h"
#include "dialogs/wwdialog.h"
#include "tests/support/dataset_helpers.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <functional>
#include <gtest/gtest.h>

namespace ravelda::test {

// Installs a runner for its lifetime. The runner works the window like a user (fill in, click)
// and the run's result is the window's own result, as after exec; a window that nobody closed
// counts as rejected.
class ScopedDialogRunner {
public:
    explicit ScopedDialogRunner(std::function<void(QDialog&)> drive)
        : previous_(SetDialogRunner([this, drive](QDialog& w) {
              ++runs;
              w.setResult(NotClosed);
              drive(w);
              return w.result() == NotClosed ? int(QDialog::Rejected) : w.result();
          })) {}
    ~ScopedDialogRunner() { SetDialogRunner(std::move(previous_)); }
    ScopedDialogRunner(const ScopedDialogRunner&) = delete;
    ScopedDialogRunner& operator=(const ScopedDialogRunner&) = delete;
    int runs = 0;
    static constexpr int NotClosed = -1;

private:
    TwwDialogRunner previous_;
};

// Neither accepted nor rejected yet (inside a runner).
inline bool StillOpen(const QDialog& w) {
    return w.result() == ScopedDialogRunner::NotClosed;
}
template <class W> W& Child(QDialog& w, const char* name) {
    W* child = w.findChild<W*>(QString::fromLatin1(name));
    if (!child) throw std::runtime_error(std::string("no widget ") + name);
    return *child;
}
inline void Click(QDialog& w, const char* name) {
    Child<QAbstractButton>(w, name).click();
}
inline void Type(QDialog& w, const char* name, const QString& text) {
    Child<QLineEdit>(w, name).setText(text);
}
// Selects the combo item whose data (a field name) or text is Item.
inline void Choose(QDialog& w, const char* name, const QString& item) {
    auto& combo = Child<QComboBox>(w, name);
    int i = combo.findData(item);
    if (i < 0) i = combo.findText(item);
    if (i < 0) throw std::runtime_error("no item " + item.toStdString());
    combo.setCurrentIndex(i);
}

// Keys.DB with six rows told apart by Chiave 1 to 6, opened as a TwwTable with a data source.
class KeysTable : public ::testing::Test {
protected:
    void SetUp() override {
        alias.createKeysTable({{"BOLLE.DB", "2030", 0, 1},
                               {"FATTURE.DB", "2030", 0, 2},
                               {"FATTURE.DB", "2030", 1, 3},
                               {"FATTURE.DB", "2031", 0, 4},
                               {"ORDINIF.DB", "2031", 0, 5},
                               {"PREVENTIVI.DB", "2031", 0, 6}});
        table.SetName(QStringLiteral("wwTable1"));
        table.SetDatabaseName(QStringLiteral("quennarix"));
        table.SetTableName(QStringLiteral("Keys.DB"));
        table.Open();
        source.SetDataSet(&table);
    }
    qint64 chiave() const { return table.FieldByName(QStringLiteral("Chiave"))->AsInteger(); }
    // Moves to the row with this Chiave.
    void moveTo(int key) { ASSERT_TRUE(table.Locate(QStringLiteral("Chiave"), key)); }

    TempAlias alias;
    TwwTable table{nullptr};
    TDataSource source{nullptr};
};

} // namespace ravelda::test
