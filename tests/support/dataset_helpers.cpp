#include "tests/support/dataset_helpers.h"

#include "data/dataset.h"
#include "data/fields.h"
#include "engine/cursor.h"
#include "engine/table.h"

#include <cstdlib>
#include <fstream>

namespace ravelda::test {

namespace engine = ravelda::engine;

TempAlias::TempAlias(const std::string& alias) : alias_(alias) {
    folder_ = dir_ / "db";
    std::filesystem::create_directories(folder_);
    if (const char* old = std::getenv("RAVELDA_ALIAS_FILE")) previousAliasFile_ = old;
    const auto file = dir_ / "aliases.conf";
    std::ofstream(file) << alias_ << " = " << folder_.string() << "\n";
    setenv("RAVELDA_ALIAS_FILE", file.c_str(), 1);
}

TempAlias::~TempAlias() {
    if (previousAliasFile_)
        setenv("RAVELDA_ALIAS_FILE", previousAliasFile_->c_str(), 1);
    else
        unsetenv("RAVELDA_ALIAS_FILE");
}

std::filesystem::path TempAlias::createKeysTable(const std::vector<KeyRow>& rows,
                                                 const std::string& name, int codePage) {
    const auto path = folder_ / name;
    engine::CreateOptions options;
    options.codePage = codePage;
    engine::Table::create(path,
                          {{"Tabella", engine::FieldType::Alpha, 30},
                           {"Anno", engine::FieldType::Alpha, 4},
                           {"Registro", engine::FieldType::Short, 0},
                           {"Chiave", engine::FieldType::Long, 0}},
                          3, options);
    auto table = engine::Table::open(path);
    auto cursor = table->cursor();
    for (const KeyRow& r : rows)
        cursor->insert({engine::Value::text(r.tabella), engine::Value::text(r.anno),
                        engine::Value::integer(r.registro), engine::Value::integer(r.chiave)});
    return path;
}

// Tables of a given size are built once per test program and copied: every write of the engine
// is synced, so building 20 rows for each test would dominate the run.
static std::filesystem::path numberedTemplate(int count) {
    static TempDir cache;
    const auto dir = cache / std::to_string(count);
    const auto path = dir / "T.DB";
    if (std::filesystem::exists(path)) return dir;
    std::filesystem::create_directories(dir);
    engine::Table::create(
        path, {{"Id", engine::FieldType::Long, 0}, {"Name", engine::FieldType::Alpha, 20}}, 1);
    auto table = engine::Table::open(path);
    std::vector<std::vector<engine::Value>> rows;
    for (int i = 1; i <= count; ++i)
        rows.push_back(
            {engine::Value::integer(i), engine::Value::text("Row " + std::to_string(i))});
    table->insertRows(rows); // one synced write for the lot
    return dir;
}

std::filesystem::path TempAlias::createNumberedTable(const std::string& name, int count) {
    const auto dir = numberedTemplate(count);
    const std::string stem = std::filesystem::path(name).stem().string();
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        std::filesystem::copy_file(entry.path(),
                                   folder_ / (stem + entry.path().extension().string()),
                                   std::filesystem::copy_options::overwrite_existing);
    return folder_ / (stem + ".DB");
}

RecordingDataLink::RecordingDataLink(bool visual, const QString& linkName) : name(linkName) {
    SetVisualControl(visual);
}

QStringList RecordingDataLink::take() {
    QStringList out = log;
    log.clear();
    return out;
}

void RecordingDataLink::add(const QString& entry) {
    log << (name.isEmpty() ? entry : name + QLatin1Char(':') + entry);
    lastActiveRecord = ActiveRecord();
    lastRecordCount = RecordCount();
}

void RecordingDataLink::ActiveChanged() {
    add(QStringLiteral("active %1").arg(Active() ? 1 : 0));
}

void RecordingDataLink::CheckBrowseMode() {
    add(QStringLiteral("check"));
}

void RecordingDataLink::DataSetChanged() {
    add(QStringLiteral("changed"));
}

void RecordingDataLink::DataSetScrolled(int Distance) {
    add(QStringLiteral("scrolled %1").arg(Distance));
    if (forwardScroll) TDataLink::DataSetScrolled(Distance);
}

void RecordingDataLink::EditingChanged() {
    add(QStringLiteral("editing %1").arg(Editing() ? 1 : 0));
}

void RecordingDataLink::FocusControl(TField** Field) {
    add(QStringLiteral("focus %1")
            .arg(Field && *Field ? (*Field)->FieldName() : QStringLiteral("-")));
}

void RecordingDataLink::LayoutChanged() {
    add(QStringLiteral("layout"));
}

void RecordingDataLink::RecordChanged(TField* Field) {
    add(QStringLiteral("record %1").arg(Field ? Field->FieldName() : QStringLiteral("-")));
}

void RecordingDataLink::UpdateData() {
    add(QStringLiteral("update"));
}

} // namespace ravelda::test
