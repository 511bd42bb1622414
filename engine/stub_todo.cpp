// Temporary: entry points not yet implemented report so instead of failing to link.
#include "engine/check.h"
#include "engine/cursor.h"
#include "engine/error.h"
#include "engine/table.h"

namespace ravelda::engine {

namespace {
[[noreturn]] void notYet() {
    throw Error(Error::Kind::Unsupported, {}, "not implemented yet");
}
} // namespace

struct Table::State {};
struct Cursor::Impl {};

std::unique_ptr<Table> Table::open(const std::filesystem::path&, const OpenOptions&) {
    notYet();
}
void Table::create(const std::filesystem::path&, const std::vector<FieldDef>&, int,
                   const CreateOptions&) {
    notYet();
}
Table::Table(std::unique_ptr<State> state) : state_(std::move(state)) {}
Table::~Table() = default;
const std::filesystem::path& Table::path() const {
    notYet();
}
const std::vector<FieldDef>& Table::fields() const {
    notYet();
}
int Table::fieldIndex(std::string_view) const {
    notYet();
}
int Table::keyFieldCount() const {
    notYet();
}
int Table::version() const {
    notYet();
}
std::string Table::versionName() const {
    notYet();
}
int Table::codePage() const {
    notYet();
}
std::string Table::sortOrder() const {
    notYet();
}
int Table::sortOrderCode() const {
    notYet();
}
int Table::blockSizeKiB() const {
    notYet();
}
std::int64_t Table::recordCount() const {
    notYet();
}
bool Table::hasSecondaryIndexes() const {
    notYet();
}
bool Table::canModify() const {
    notYet();
}
const std::string& Table::readOnlyReason() const {
    notYet();
}
const std::vector<FieldCheck>& Table::checks() const {
    notYet();
}
std::vector<FieldPicture> Table::pictures() const {
    notYet();
}
std::string Table::picture(int) const {
    notYet();
}
const TextCodec& Table::codec() const {
    notYet();
}
std::unique_ptr<Cursor> Table::cursor() {
    notYet();
}
void Table::refresh() {
    notYet();
}

Cursor::Cursor(Table&) {
    notYet();
}
Cursor::~Cursor() = default;
Table& Cursor::table() const {
    notYet();
}
bool Cursor::first() {
    notYet();
}
bool Cursor::last() {
    notYet();
}
bool Cursor::next() {
    notYet();
}
bool Cursor::prior() {
    notYet();
}
std::int64_t Cursor::moveBy(std::int64_t) {
    notYet();
}
bool Cursor::bof() const {
    notYet();
}
bool Cursor::eof() const {
    notYet();
}
bool Cursor::hasRow() const {
    notYet();
}
std::int64_t Cursor::recordCount() const {
    notYet();
}
std::int64_t Cursor::recordNumber() const {
    notYet();
}
void Cursor::setRecordNumber(std::int64_t) {
    notYet();
}
std::vector<Value> Cursor::row() const {
    notYet();
}
Value Cursor::value(int) const {
    notYet();
}
Bookmark Cursor::bookmark() const {
    notYet();
}
bool Cursor::gotoBookmark(const Bookmark&) {
    notYet();
}
bool Cursor::bookmarkValid(const Bookmark&) const {
    notYet();
}
int Cursor::compare(const Bookmark&, const Bookmark&) const {
    notYet();
}
bool Cursor::locate(const std::vector<int>&, const std::vector<Value>&, const LocateOptions&) {
    notYet();
}
void Cursor::insert(const std::vector<Value>&) {
    notYet();
}
void Cursor::update(const std::vector<Value>&) {
    notYet();
}
void Cursor::remove() {
    notYet();
}
void Cursor::refresh() {
    notYet();
}

std::vector<CheckProblem> checkTable(const std::filesystem::path&) {
    notYet();
}

} // namespace ravelda::engine
