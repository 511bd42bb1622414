#pragma once
// Helpers for dataset-layer tests: a temporary alias (RAVELDA_ALIAS_FILE pointed at a file in a
// temporary folder), real engine tables shaped like the key table, and a data link that records
// every notification it gets.
#include "data/datalink.h"
#include "tests/support/tempdir.h"

#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace ravelda::test {

// A row of the key table: Tabella, Anno, Registro, Chiave.
struct KeyRow {
    std::string tabella;
    std::string anno;
    int registro = 0;
    int chiave = 0;
};

// An alias (default "quennarix") naming a fresh temporary folder, for the test's lifetime.
class TempAlias {
public:
    explicit TempAlias(const std::string& alias = "quennarix");
    ~TempAlias();
    TempAlias(const TempAlias&) = delete;
    TempAlias& operator=(const TempAlias&) = delete;

    const std::string& alias() const { return alias_; }
    QString aliasName() const { return QString::fromStdString(alias_); }
    const std::filesystem::path& folder() const { return folder_; }

    // Keys.DB: Tabella A30, Anno A4, Registro S, Chiave I; keyed on the first three.
    std::filesystem::path createKeysTable(const std::vector<KeyRow>& rows = {},
                                          const std::string& name = "Keys.DB", int codePage = 1252);
    // A keyed table "Id" (I, key) and "Name" (A20) with rows Id 1..count, Name "Row <id>".
    std::filesystem::path createNumberedTable(const std::string& name, int count);

private:
    TempDir dir_;
    std::string alias_;
    std::filesystem::path folder_;
    std::optional<std::string> previousAliasFile_;
};

// Records what a data link hears, as text:
//   "active 1", "changed", "scrolled 3", "record Tabella" / "record -", "editing 1", "update",
//   "check", "layout", "focus Tabella".
class RecordingDataLink : public TDataLink {
public:
    explicit RecordingDataLink(bool visual = true, const QString& name = QString());
    QStringList log;
    // Every entry is prefixed with the name when one was given (for ordering tests).
    QString name;
    // The log so far, emptied.
    QStringList take();
    // The ActiveRecord and RecordCount values seen at the last notification.
    int lastActiveRecord = -1;
    int lastRecordCount = -1;
    // Whether DataSetScrolled forwards to DataSetChanged (the default behaviour) as well.
    bool forwardScroll = false;

protected:
    void ActiveChanged() override;
    void CheckBrowseMode() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void EditingChanged() override;
    void FocusControl(TField** Field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

private:
    void add(const QString& entry);
};

} // namespace ravelda::test
