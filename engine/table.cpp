#include "engine/table.h"
#include "engine/ascii.h"

#include "engine/cursor.h"
#include "engine/error.h"
#include "engine/scopeguard.h"
#include "engine/tablestate.h"

#include <algorithm>
#include <cctype>

namespace ravelda::engine {

std::unique_ptr<Table> Table::open(const std::filesystem::path& path, const OpenOptions& options) {
    return std::unique_ptr<Table>(new Table(State::openFiles(path, options)));
}

Table::Table(std::unique_ptr<State> state) : state_(std::move(state)) {}
Table::~Table() = default;

const std::filesystem::path& Table::path() const {
    return state_->dbPath;
}
const std::vector<FieldDef>& Table::fields() const {
    return state_->fields;
}

int Table::fieldIndex(std::string_view name) const {
    const auto& f = state_->fields;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (equalsIgnoringAsciiCase(f[i].name, name)) return static_cast<int>(i);
    }
    return -1;
}

int Table::keyFieldCount() const {
    return state_->keyFields;
}
int Table::version() const {
    return state_->dbh.version;
}
std::string Table::versionName() const {
    return engine::versionName(state_->dbh.version);
}
int Table::codePage() const {
    return state_->codePage;
}
std::string Table::sortOrder() const {
    if (!state_->dbh.sortOrderName.empty()) return state_->dbh.sortOrderName;
    return state_->dbh.sortOrderCode == 0 ? "ascii" : state_->collation.name();
}
int Table::sortOrderCode() const {
    return state_->dbh.sortOrderCode;
}
int Table::blockSizeKiB() const {
    return state_->dbh.blockSize / 1024;
}
std::int64_t Table::recordCount() const {
    return state_->dbh.numRecords();
}
bool Table::hasSecondaryIndexes() const {
    return !state_->secondaryIndexes.empty();
}
bool Table::canModify() const {
    return state_->canModify;
}
const std::string& Table::readOnlyReason() const {
    return state_->readOnlyReason;
}

const std::vector<FieldCheck>& Table::checks() const {
    if (!state_->checksError.empty())
        throw Error(Error::Kind::Corrupt, state_->valPath,
                    "validity checks cannot be read: " + state_->checksError);
    return state_->checks;
}

std::vector<FieldPicture> Table::pictures() const {
    std::vector<FieldPicture> out;
    for (const FieldCheck& c : checks())
        if (!c.picture.empty()) out.push_back(FieldPicture{c.fieldNumber, c.picture});
    return out;
}

std::string Table::picture(int fieldNumber) const {
    for (const FieldCheck& c : checks())
        if (c.fieldNumber == fieldNumber) return c.picture;
    return {};
}

bool Table::blobFileMissing() const {
    return state_->blobFileMissing;
}

bool Table::recoveredInterruptedWrite() const {
    return state_->recovered;
}

const TextCodec& Table::codec() const {
    return *state_->codec;
}

std::unique_ptr<Cursor> Table::cursor() {
    return std::make_unique<Cursor>(*this);
}

void Table::insertRows(const std::vector<std::vector<Value>>& rows) {
    std::size_t at = 0;
    state_->insertRows(rows, at);
}

void Table::State::insertRows(const std::vector<std::vector<Value>>& rows, std::size_t& at) {
    WriteTransaction write(*this);
    for (at = 0; at < rows.size(); ++at)
        insertRecord(encodeRecord(rows[at]));
    write.commit();
}

void Table::refresh() {
    State& s = *state_;
    s.lockShared();
    const ScopeGuard unlock([&s] { s.unlockShared(); });
    s.rollbackIfHot(false);
    s.dbCache.clear();
    s.pxCache.clear();
    if (s.currentSignature() != s.signature)
        s.loadStructure(false);
    else
        ++s.generation;
}

} // namespace ravelda::engine
