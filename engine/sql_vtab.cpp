// The "paradox" SQLite virtual table module: engine tables as read-only SQL tables.
#include "engine/sql_vtab.h"

#include "engine/cursor.h"
#include "engine/query.h"
#include "engine/table.h"

#include <sqlite3.h>

#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace ravelda::engine::sql {

namespace {

// The module's client data: the connection's state, found again by connection.
struct Owned {
    sqlite3* db;
    ModuleState state;
};

// One SQL table over one engine table. SQLite hands the struct back as its first member.
struct PxTable {
    sqlite3_vtab base{};
    ModuleState* state = nullptr;
    std::unique_ptr<Table> table;
    std::vector<FieldDef> fields;
};

// What a scan does with the leading key field (idxNum of xBestIndex and xFilter).
enum : int {
    kEqual = 1,
    kLowerInclusive = 2,
    kLowerExclusive = 4,
    kUpperInclusive = 8,
    kUpperExclusive = 16,
};

// One scan: its own engine cursor, so that a table joined with itself scans twice.
struct PxCursor {
    sqlite3_vtab_cursor base{};
    std::unique_ptr<Cursor> cursor;
    bool atEnd = true;
    std::optional<Value> equal;
    std::optional<Value> upper;
    bool upperInclusive = false;
};

PxTable& tableOf(sqlite3_vtab* vtab) {
    return *reinterpret_cast<PxTable*>(vtab);
}
PxCursor& cursorOf(sqlite3_vtab_cursor* cur) {
    return *reinterpret_cast<PxCursor*>(cur);
}
PxTable& tableOf(PxCursor& c) {
    return tableOf(c.base.pVtab);
}

int failWith(sqlite3_vtab* vtab, const Error& e) {
    tableOf(vtab).state->fail(e);
    sqlite3_free(vtab->zErrMsg);
    vtab->zErrMsg = sqlite3_mprintf("%s", e.what());
    return SQLITE_ERROR;
}

std::string sqlName(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// The text of an SQL string literal argument ('…' with doubled quotes), or the text itself.
std::string unquoted(const char* arg) {
    std::string s(arg);
    if (s.size() >= 2 && (s.front() == '\'' || s.front() == '"') && s.back() == s.front()) {
        const char q = s.front();
        std::string out;
        for (std::size_t i = 1; i + 1 < s.size(); ++i) {
            out += s[i];
            if (s[i] == q && i + 2 < s.size() && s[i + 1] == q) ++i;
        }
        return out;
    }
    return s;
}

bool canSeekEqual(FieldType t) {
    switch (t) {
    case FieldType::Alpha:
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
    case FieldType::Number:
    case FieldType::Money:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::Timestamp:
        return true;
    default:
        return false;
    }
}

// Text keys follow the table's collation and code page, not SQLite's UTF-8 byte order, so only
// types whose key order is their value order are searched by range.
bool canSeekRange(FieldType t) {
    return t != FieldType::Alpha && canSeekEqual(t);
}

// Order of two key values of one field (Null first), for the types canSeekRange admits.
int compareKey(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    auto sign = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (a.kind()) {
    case Value::Kind::Integer:
        if (b.kind() == Value::Kind::Integer) return sign(a.asInteger(), b.asInteger());
        return sign(static_cast<double>(a.asInteger()), b.asDouble());
    case Value::Kind::Double:
        return sign(a.asDouble(), b.kind() == Value::Kind::Integer
                                      ? static_cast<double>(b.asInteger())
                                      : b.asDouble());
    case Value::Kind::Date:
        return sign(a.asDate(), b.asDate());
    case Value::Kind::Time:
        return sign(a.asTime(), b.asTime());
    case Value::Kind::Timestamp:
        return sign(a.asTimestamp(), b.asTimestamp());
    default:
        return 0;
    }
}

int xCreate(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out,
            char** err) {
    if (argc < 4) {
        *err = sqlite3_mprintf("paradox: the table's file path is missing");
        return SQLITE_ERROR;
    }
    auto vt = std::make_unique<PxTable>();
    vt->state = &static_cast<Owned*>(aux)->state;
    try {
        OpenOptions options;
        options.mode = OpenMode::ReadOnly;
        vt->table = Table::open(unquoted(argv[3]), options);
        vt->fields = vt->table->fields();
        std::string ddl = "CREATE TABLE x(";
        for (std::size_t i = 0; i < vt->fields.size(); ++i) {
            const FieldDef& f = vt->fields[i];
            std::string name;
            try {
                name = vt->table->codec().toUtf8(f.name);
            } catch (const Error&) {
                name = "Field" + std::to_string(i + 1);
            }
            if (i) ddl += ", ";
            ddl += sqlName(name) + " " + declaredType(f);
        }
        ddl += ")";
        const int rc = sqlite3_declare_vtab(db, ddl.c_str());
        if (rc != SQLITE_OK) {
            *err = sqlite3_mprintf("%s: %s", argv[3], sqlite3_errmsg(db));
            return rc;
        }
    } catch (const Error& e) {
        vt->state->fail(e);
        *err = sqlite3_mprintf("%s", e.what());
        return SQLITE_ERROR;
    }
    *out = &vt.release()->base;
    return SQLITE_OK;
}

int xBestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
    PxTable& vt = tableOf(vtab);
    const double rows = static_cast<double>(std::max<std::int64_t>(1, vt.table->recordCount()));
    info->estimatedCost = rows;
    info->estimatedRows = static_cast<sqlite3_int64>(rows);
    if (!vt.table->isKeyed() || vt.fields.empty()) return SQLITE_OK;
    const FieldType keyType = vt.fields[0].type;
    // Scans run in key order, blank keys first as SQLite puts NULLs: an ascending sort on a
    // leading key whose key order is its value order needs no sorting.
    if (info->nOrderBy == 1 && info->aOrderBy[0].iColumn == 0 && !info->aOrderBy[0].desc &&
        canSeekRange(keyType))
        info->orderByConsumed = 1;
    int eq = -1, lower = -1, upper = -1;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (!c.usable || c.iColumn != 0) continue;
        switch (c.op) {
        case SQLITE_INDEX_CONSTRAINT_EQ:
            if (eq < 0 && canSeekEqual(keyType)) eq = i;
            break;
        case SQLITE_INDEX_CONSTRAINT_GT:
        case SQLITE_INDEX_CONSTRAINT_GE:
            if (lower < 0 && canSeekRange(keyType)) lower = i;
            break;
        case SQLITE_INDEX_CONSTRAINT_LT:
        case SQLITE_INDEX_CONSTRAINT_LE:
            if (upper < 0 && canSeekRange(keyType)) upper = i;
            break;
        default:
            break;
        }
    }
    // SQLite still checks every constraint (omit stays 0): the scan only narrows the rows.
    if (eq >= 0) {
        info->idxNum = kEqual;
        info->aConstraintUsage[eq].argvIndex = 1;
        info->estimatedCost = std::log2(rows) + 10;
        info->estimatedRows = 1 + static_cast<sqlite3_int64>(rows / 100);
        return SQLITE_OK;
    }
    int next = 1;
    double cost = rows;
    if (lower >= 0) {
        info->idxNum |= info->aConstraint[lower].op == SQLITE_INDEX_CONSTRAINT_GE ? kLowerInclusive
                                                                                  : kLowerExclusive;
        info->aConstraintUsage[lower].argvIndex = next++;
        cost /= 3;
    }
    if (upper >= 0) {
        info->idxNum |= info->aConstraint[upper].op == SQLITE_INDEX_CONSTRAINT_LE ? kUpperInclusive
                                                                                  : kUpperExclusive;
        info->aConstraintUsage[upper].argvIndex = next++;
        cost /= 3;
    }
    info->estimatedCost = cost + 10;
    info->estimatedRows = static_cast<sqlite3_int64>(cost) + 1;
    return SQLITE_OK;
}

int xDisconnect(sqlite3_vtab* vtab) {
    delete &tableOf(vtab);
    return SQLITE_OK;
}

int xOpen(sqlite3_vtab* vtab, sqlite3_vtab_cursor** out) {
    PxTable& vt = tableOf(vtab);
    try {
        auto c = std::make_unique<PxCursor>();
        c->cursor = vt.table->cursor();
        if (vt.state->firstCodePage == 0) vt.state->firstCodePage = vt.table->codePage();
        *out = &c.release()->base;
        return SQLITE_OK;
    } catch (const Error& e) {
        return failWith(vtab, e);
    }
}

int xClose(sqlite3_vtab_cursor* cur) {
    delete &cursorOf(cur);
    return SQLITE_OK;
}

// Ends the scan when the current row is past the key range asked for.
void checkStop(PxCursor& c) {
    if (c.atEnd || (!c.equal && !c.upper)) return;
    const Value key = c.cursor->value(0);
    if (c.equal && !(key == *c.equal)) c.atEnd = true;
    if (c.upper && !key.isNull()) {
        const int order = compareKey(key, *c.upper);
        if (order > 0 || (order == 0 && !c.upperInclusive)) c.atEnd = true;
    }
}

// Puts the cursor on the first row whose key is above (or at) the bound; false when none is.
bool seekLower(Cursor& cursor, const Value& bound, bool inclusive) {
    const std::int64_t count = cursor.recordCount();
    std::int64_t lo = 1, hi = count + 1;
    while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        cursor.setRecordNumber(mid);
        const Value key = cursor.value(0);
        const int order = key.isNull() ? -1 : compareKey(key, bound);
        if (order > 0 || (order == 0 && inclusive))
            hi = mid;
        else
            lo = mid + 1;
    }
    if (lo > count) return false;
    cursor.setRecordNumber(lo);
    return true;
}

int xFilter(sqlite3_vtab_cursor* cur, int idxNum, const char*, int argc, sqlite3_value** argv) {
    PxCursor& c = cursorOf(cur);
    PxTable& vt = tableOf(c);
    c.equal.reset();
    c.upper.reset();
    try {
        const FieldDef& key = vt.fields.empty() ? FieldDef{} : vt.fields[0];
        int arg = 0;
        auto bound = [&]() -> std::optional<Value> {
            if (arg >= argc) return std::nullopt;
            return exactFieldValue(key, argv[arg++], vt.table->codec());
        };
        if (idxNum & kEqual) {
            if (auto v = bound()) {
                try {
                    c.atEnd = !c.cursor->locate({0}, {*v});
                    c.equal = v;
                } catch (const Error& e) {
                    if (e.kind() != Error::Kind::InvalidArgument &&
                        e.kind() != Error::Kind::Encoding)
                        throw;
                    c.atEnd = !c.cursor->first();
                }
                checkStop(c);
                return SQLITE_OK;
            }
        }
        std::optional<Value> lower;
        if (idxNum & (kLowerInclusive | kLowerExclusive)) lower = bound();
        if (idxNum & (kUpperInclusive | kUpperExclusive)) {
            c.upper = bound();
            c.upperInclusive = (idxNum & kUpperInclusive) != 0;
        }
        if (lower)
            c.atEnd = !seekLower(*c.cursor, *lower, (idxNum & kLowerInclusive) != 0);
        else
            c.atEnd = !c.cursor->first();
        checkStop(c);
        return SQLITE_OK;
    } catch (const Error& e) {
        c.atEnd = true;
        return failWith(cur->pVtab, e);
    }
}

int xNext(sqlite3_vtab_cursor* cur) {
    PxCursor& c = cursorOf(cur);
    try {
        c.atEnd = !c.cursor->next();
        checkStop(c);
        return SQLITE_OK;
    } catch (const Error& e) {
        c.atEnd = true;
        return failWith(cur->pVtab, e);
    }
}

int xEof(sqlite3_vtab_cursor* cur) {
    return cursorOf(cur).atEnd ? 1 : 0;
}

int xColumn(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int i) {
    PxCursor& c = cursorOf(cur);
    PxTable& vt = tableOf(c);
    try {
        const auto index = static_cast<std::size_t>(i);
        if (index >= vt.fields.size()) {
            sqlite3_result_null(ctx);
            return SQLITE_OK;
        }
        setResult(ctx, vt.fields[index], c.cursor->value(i), vt.table->codec());
        return SQLITE_OK;
    } catch (const Error& e) {
        vt.state->fail(e);
        sqlite3_result_error(ctx, e.what(), -1);
        return SQLITE_ERROR;
    }
}

int xRowid(sqlite3_vtab_cursor* cur, sqlite3_int64* rowid) {
    PxCursor& c = cursorOf(cur);
    try {
        *rowid = c.cursor->recordNumber();
        return SQLITE_OK;
    } catch (const Error& e) {
        return failWith(cur->pVtab, e);
    }
}

int xUpdate(sqlite3_vtab* vtab, int, sqlite3_value**, sqlite3_int64*) {
    sqlite3_free(vtab->zErrMsg);
    vtab->zErrMsg = sqlite3_mprintf("%s", kQueryReadOnly);
    return SQLITE_READONLY;
}

sqlite3_module makeModule() {
    sqlite3_module m{};
    m.iVersion = 1;
    m.xCreate = xCreate;
    m.xConnect = xCreate;
    m.xBestIndex = xBestIndex;
    m.xDisconnect = xDisconnect;
    m.xDestroy = xDisconnect;
    m.xOpen = xOpen;
    m.xClose = xClose;
    m.xFilter = xFilter;
    m.xNext = xNext;
    m.xEof = xEof;
    m.xColumn = xColumn;
    m.xRowid = xRowid;
    m.xUpdate = xUpdate;
    return m;
}

const sqlite3_module kModule = makeModule();

// Connections the module is registered on, with their state.
std::mutex registryMutex;
std::map<sqlite3*, ModuleState*> registry;

void release(void* p) {
    auto* owned = static_cast<Owned*>(p);
    {
        std::lock_guard lock(registryMutex);
        registry.erase(owned->db);
    }
    delete owned;
}

} // namespace

ModuleState& moduleState(sqlite3* db) {
    {
        std::lock_guard lock(registryMutex);
        auto it = registry.find(db);
        if (it != registry.end()) return *it->second;
    }
    auto* owned = new Owned{db, {}};
    {
        std::lock_guard lock(registryMutex);
        registry[db] = &owned->state;
    }
    // On failure SQLite calls release itself.
    if (sqlite3_create_module_v2(db, "paradox", &kModule, owned, release) != SQLITE_OK)
        throw Error(Error::Kind::Io, {},
                    std::string("cannot register the table module: ") + sqlite3_errmsg(db));
    return owned->state;
}

} // namespace ravelda::engine::sql
