#include "engine/query.h"

namespace ravelda::engine {

void registerParadoxModule(sqlite3*) {
    throw Error(Error::Kind::Unsupported, {}, "queries are not available yet");
}
void attachFolderTables(sqlite3*, const std::filesystem::path&) {
    throw Error(Error::Kind::Unsupported, {}, "queries are not available yet");
}
std::unique_ptr<QueryResult> runQuery(const std::filesystem::path&, const std::string&,
                                      QueryLanguage, const QueryOptions&) {
    throw Error(Error::Kind::Unsupported, {}, "queries are not available yet");
}
std::string qbeToSql(const std::string&, const QueryOptions&) {
    throw Error(Error::Kind::Unsupported, {}, "queries are not available yet");
}

} // namespace ravelda::engine
