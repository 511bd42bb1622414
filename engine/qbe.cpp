// Query by example: placeholder until the translator lands.
#include "engine/query.h"

namespace ravelda::engine {

std::string qbeToSql(const std::string&, const QueryOptions&) {
    throw Error(Error::Kind::Unsupported, {}, "QBE queries are not available yet");
}

} // namespace ravelda::engine
