// Query by example: the classic QBE text form, a documented subset translated into SQL over the
// folder's virtual tables (docs/queries.md). Anything beyond the subset is refused by name rather
// than half-understood.
#include "engine/ascii.h"
#include "engine/query.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ravelda::engine {

namespace {

[[noreturn]] void malformed(const std::string& problem) {
    throw Error(Error::Kind::InvalidArgument, {}, "QBE: " + problem);
}

[[noreturn]] void unsupported(const std::string& construct) {
    throw Error(Error::Kind::Unsupported, {}, "QBE: " + construct + " is not supported");
}

std::string trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return std::string(s.substr(b, e - b));
}

// Splits at sep outside double quotes (a backslash escapes the next character inside quotes).
std::vector<std::string> splitOutsideQuotes(std::string_view s, char sep) {
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (quoted && c == '\\' && i + 1 < s.size()) {
            cur += c;
            cur += s[++i];
            continue;
        }
        if (c == '"') quoted = !quoted;
        if (c == sep && !quoted) {
            out.push_back(cur);
            cur.clear();
            continue;
        }
        cur += c;
    }
    if (quoted) malformed("a quoted text is not closed");
    out.push_back(cur);
    return out;
}

// Splits a cell at the word "or" outside quotes.
std::vector<std::string> splitOr(const std::string& cell) {
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false;
    for (std::size_t i = 0; i < cell.size(); ++i) {
        const char c = cell[i];
        if (quoted && c == '\\' && i + 1 < cell.size()) {
            cur += c;
            cur += cell[++i];
            continue;
        }
        if (c == '"') quoted = !quoted;
        const bool wordStart = i == 0 || std::isspace(static_cast<unsigned char>(cell[i - 1]));
        if (!quoted && wordStart && i + 2 <= cell.size() && asciiUpper(cell.substr(i, 2)) == "OR" &&
            (i + 2 == cell.size() || std::isspace(static_cast<unsigned char>(cell[i + 2])))) {
            out.push_back(cur);
            cur.clear();
            ++i;
            continue;
        }
        cur += c;
    }
    out.push_back(cur);
    return out;
}

// s between two quote characters, each quote inside doubled (SQL's escape).
std::string sqlQuoted(const std::string& s, char quote) {
    std::string out(1, quote);
    for (char c : s) {
        if (c == quote) out += quote;
        out += c;
    }
    return out + quote;
}

std::string sqlText(const std::string& s) {
    return sqlQuoted(s, '\'');
}

std::string sqlName(const std::string& s) {
    return sqlQuoted(s, '"');
}

// The words of the full QBE language this subset does not take, and what they are.
struct Keyword {
    const char* word;
    const char* construct;
};
const Keyword kUnsupported[] = {
    {"CALC", "CALC (calculated fields)"},
    {"CHANGETO", "CHANGETO (changing rows)"},
    {"INSERT", "INSERT (inserting rows)"},
    {"DELETE", "DELETE (deleting rows)"},
    {"SET", "SET (set queries)"},
    {"GROUPBY", "GROUPBY (grouping)"},
    {"CHECKGROUP", "CheckGroup (grouping)"},
    {"COUNT", "COUNT (summaries)"},
    {"SUM", "SUM (summaries)"},
    {"AVERAGE", "AVERAGE (summaries)"},
    {"MIN", "MIN (summaries)"},
    {"MAX", "MAX (summaries)"},
    {"ALL", "ALL (summaries and sets)"},
    {"UNIQUE", "UNIQUE (summaries)"},
    {"ONLY", "ONLY (set comparisons)"},
    {"NO", "NO (set comparisons)"},
    {"EVERY", "EVERY (set comparisons)"},
    {"EXACTLY", "EXACTLY (set comparisons)"},
    {"TODAY", "TODAY (the current date)"},
    {"AS", "AS (renaming answer fields)"},
    {"FIND", "FIND (locating rows)"},
};

std::string firstWord(const std::string& s) {
    std::size_t e = 0;
    while (e < s.size() && (std::isalnum(static_cast<unsigned char>(s[e])) || s[e] == '_'))
        ++e;
    return asciiUpper(s.substr(0, e));
}

void refuseKeyword(const std::string& text) {
    if (text.empty()) return;
    if (text[0] == '_') unsupported("an example element (" + text + ", used for joins)");
    if (text[0] == '!') unsupported("inclusion (!, outer joins)");
    const std::string w = firstWord(text);
    for (const auto& k : kUnsupported)
        if (w == k.word) unsupported(k.construct);
}

// A condition value: a quoted text as written, else the trimmed text (True and False as logical
// values). Returns the SQL literal and, for unquoted text, whether it holds pattern characters.
struct Literal {
    std::string sql;
    std::string raw;
    bool quoted = false;
    bool isNumber = false;
    std::string number; // the value as an SQL number, when isNumber
};

Literal literal(const std::string& text) {
    Literal l;
    const std::string t = trim(text);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"') {
        std::string s;
        for (std::size_t i = 1; i + 1 < t.size(); ++i) {
            if (t[i] == '\\' && i + 2 < t.size()) ++i;
            s += t[i];
        }
        l.raw = s;
        l.quoted = true;
        l.sql = sqlText(s);
        return l;
    }
    if (t.find('"') != std::string::npos) malformed("a quote inside the value " + t);
    l.raw = t;
    if (asciiUpper(t) == "TRUE") {
        l.sql = "1";
        return l;
    }
    if (asciiUpper(t) == "FALSE") {
        l.sql = "0";
        return l;
    }
    // Only plain decimal numbers count as numbers (no "inf", "nan" or hex forms).
    const bool numeric = !t.empty() && std::all_of(t.begin(), t.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
               c == 'e' || c == 'E';
    });
    if (numeric) {
        char* end = nullptr;
        const double v = std::strtod(t.c_str(), &end);
        if (end && *end == '\0' && std::isfinite(v)) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.17g", v);
            l.isNumber = true;
            l.number = buf;
        }
    }
    l.sql = sqlText(t);
    return l;
}

// A QBE pattern (".." any text, "@" any one character) as a LIKE pattern with "\" escaping.
std::string likePattern(const std::string& raw) {
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw.compare(i, 2, "..") == 0) {
            out += '%';
            ++i;
        } else if (raw[i] == '@') {
            out += '_';
        } else {
            if (raw[i] == '%' || raw[i] == '_' || raw[i] == '\\') out += '\\';
            out += raw[i];
        }
    }
    return out;
}

bool hasPattern(const Literal& l) {
    return !l.quoted &&
           (l.raw.find("..") != std::string::npos || l.raw.find('@') != std::string::npos);
}

// One condition of a field as SQL.
std::string condition(const std::string& column, std::string item, const QueryOptions& o) {
    item = trim(item);
    refuseKeyword(item);
    const std::string collate = o.caseInsensitive ? " COLLATE NOCASE" : "";
    auto compare = [&](const std::string& op, const std::string& valueText) {
        const Literal l = literal(valueText);
        if (l.raw.empty() && !l.quoted) malformed("the condition " + item + " has no value");
        std::string sql = column + " " + op + " " + l.sql + collate;
        if (o.blanksAsZero && l.isNumber)
            sql = "(" + sql + " OR (" + column + " IS NULL AND 0 " + op + " " + l.number + "))";
        return sql;
    };
    auto like = [&](const std::string& valueText, bool negate) {
        const Literal l = literal(valueText);
        return column + (negate ? " NOT LIKE " : " LIKE ") + sqlText(likePattern(l.raw)) +
               " ESCAPE '\\'";
    };
    for (const char* op : {">=", "<=", "<>", "=", ">", "<"})
        if (item.rfind(op, 0) == 0) return compare(op, item.substr(std::string(op).size()));
    const std::string w = firstWord(item);
    if (w == "BLANK" && trim(item.substr(5)).empty()) return column + " IS NULL";
    if (w == "LIKE") return like(item.substr(4), false);
    if (w == "NOT") {
        const std::string rest = trim(item.substr(3));
        if (asciiUpper(rest) == "BLANK") return column + " IS NOT NULL";
        if (firstWord(rest) == "LIKE") return like(rest.substr(4), true);
        const Literal l = literal(rest);
        if (hasPattern(l)) return like(rest, true);
        return compare("<>", rest);
    }
    const Literal l = literal(item);
    if (hasPattern(l)) return like(item, false);
    return compare("=", item);
}

enum class Mark { None, Check, CheckPlus, CheckDescending };

// Takes a leading check mark off a cell.
Mark takeMark(std::string& cell) {
    const std::string w = firstWord(cell);
    Mark m = Mark::None;
    if (w == "CHECK")
        m = Mark::Check;
    else if (w == "CHECKPLUS")
        m = Mark::CheckPlus;
    else if (w == "CHECKDESCENDING")
        m = Mark::CheckDescending;
    else
        return m;
    cell = trim(cell.substr(w.size()));
    if (!cell.empty() && cell[0] == ',') cell = trim(cell.substr(1));
    return m;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : text) {
        if (c == '\n') {
            out.push_back(cur);
            cur.clear();
        } else if (c != '\r') {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

} // namespace

std::string qbeToSql(const std::string& text, const QueryOptions& options) {
    if (text.find('\0') != std::string::npos) malformed("the text holds a NUL character");
    const std::vector<std::string> all = lines(text);
    std::size_t i = 0;
    auto skipBlank = [&] {
        while (i < all.size() && trim(all[i]).empty())
            ++i;
    };
    skipBlank();
    if (i == all.size() || asciiUpper(trim(all[i])) != "QUERY")
        malformed("the first line must be \"Query\"");
    ++i;
    skipBlank();
    if (i < all.size() && asciiUpper(trim(all[i])).rfind("ANSWER:", 0) == 0) {
        ++i; // the answer is always a private table
        skipBlank();
    }
    if (i < all.size()) {
        const std::string w = asciiUpper(trim(all[i]));
        if (w.rfind("SORT:", 0) == 0) unsupported("SORT: (sort order lines; use check marks)");
        if (w.rfind("FIELDORDER:", 0) == 0) unsupported("FIELDORDER: (answer field order)");
    }
    if (i == all.size()) malformed("no table block follows \"Query\"");

    // The table line: the table name, then the field names.
    std::vector<std::string> head = splitOutsideQuotes(all[i], '|');
    for (auto& h : head)
        h = trim(h);
    if (head.size() > 1 && head.back().empty()) head.pop_back();
    std::string table = head[0];
    if (table.size() >= 2 && table.front() == '"' && table.back() == '"')
        table = table.substr(1, table.size() - 2);
    if (table.empty() || head.size() < 2) malformed("the table line must be: Table | Field | …");
    if (table.find(':') != std::string::npos)
        unsupported("a table of another alias (" + table + ")");
    for (std::size_t f = 1; f < head.size(); ++f)
        if (head[f].empty()) malformed("an empty field name in the table line");
    ++i;

    // The row lines, up to a blank line, "EndQuery" or the end.
    std::vector<std::vector<std::string>> rows;
    for (; i < all.size(); ++i) {
        const std::string line = trim(all[i]);
        if (line.empty() || asciiUpper(line) == "ENDQUERY") break;
        std::vector<std::string> cells = splitOutsideQuotes(all[i], '|');
        for (auto& c : cells)
            c = trim(c);
        if (cells.size() > head.size() && cells.back().empty()) cells.pop_back();
        if (cells.size() > head.size())
            malformed("a row line has more cells than the table line has fields");
        cells.resize(head.size());
        if (!cells[0].empty()) {
            refuseKeyword(cells[0]);
            malformed("the first cell of a row line must be empty, not " + cells[0]);
        }
        rows.push_back(cells);
    }
    if (rows.empty()) malformed("the table line has no row line under it");
    for (; i < all.size(); ++i) {
        const std::string line = trim(all[i]);
        if (line.empty() || asciiUpper(line) == "ENDQUERY") continue;
        if (line.find('|') != std::string::npos) unsupported("more than one table block (joins)");
        malformed("unexpected text after the table block: " + line);
    }

    // Check marks: the same fields in every row.
    std::vector<Mark> marks(head.size(), Mark::None);
    std::vector<std::vector<std::string>> conditions(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t f = 1; f < head.size(); ++f) {
            std::string cell = rows[r][f];
            const Mark m = takeMark(cell);
            if (r == 0)
                marks[f] = m;
            else if (marks[f] != m)
                malformed("the check marks of field " + head[f] + " differ between row lines");
            if (firstWord(cell) == "CHECKGROUP") refuseKeyword(cell);
            rows[r][f] = cell;
        }
    }
    std::vector<std::string> selected, order;
    bool plus = false;
    for (std::size_t f = 1; f < head.size(); ++f) {
        if (marks[f] == Mark::None) continue;
        selected.push_back(sqlName(head[f]));
        if (marks[f] == Mark::CheckPlus)
            plus = true;
        else
            order.push_back(sqlName(head[f]) + (marks[f] == Mark::CheckDescending ? " DESC" : ""));
    }

    std::vector<std::string> rowSql;
    for (const auto& row : rows) {
        std::vector<std::string> parts;
        for (std::size_t f = 1; f < head.size(); ++f) {
            if (row[f].empty()) continue;
            std::vector<std::string> alternatives;
            for (const auto& branch : splitOr(row[f])) {
                std::vector<std::string> all;
                for (const auto& item : splitOutsideQuotes(branch, ','))
                    if (!trim(item).empty())
                        all.push_back(condition(sqlName(head[f]), item, options));
                if (all.empty()) malformed("an empty alternative in " + row[f]);
                std::string joined;
                for (const auto& a : all)
                    joined += (joined.empty() ? "" : " AND ") + a;
                alternatives.push_back(all.size() > 1 ? "(" + joined + ")" : joined);
            }
            std::string joined;
            for (const auto& a : alternatives)
                joined += (joined.empty() ? "" : " OR ") + a;
            parts.push_back(alternatives.size() > 1 ? "(" + joined + ")" : joined);
        }
        std::string joined;
        for (const auto& p : parts)
            joined += (joined.empty() ? "" : " AND ") + p;
        rowSql.push_back(joined);
    }

    if (selected.empty()) malformed("no field is checked, so the answer would have no fields");

    std::string sql = plus ? "SELECT " : "SELECT DISTINCT ";
    for (std::size_t s = 0; s < selected.size(); ++s)
        sql += (s ? ", " : "") + selected[s];
    sql += " FROM " + sqlName(table);
    const bool anyCondition =
        std::any_of(rowSql.begin(), rowSql.end(), [](const auto& s) { return !s.empty(); });
    if (anyCondition) {
        // A row line without conditions matches every row, so the whole query does.
        const bool everyRowCondition =
            std::all_of(rowSql.begin(), rowSql.end(), [](const auto& s) { return !s.empty(); });
        if (everyRowCondition) {
            std::string where;
            for (const auto& r : rowSql)
                where += (where.empty() ? "" : " OR ") + (rowSql.size() > 1 ? "(" + r + ")" : r);
            sql += " WHERE " + where;
        }
    }
    if (!order.empty()) {
        sql += " ORDER BY ";
        for (std::size_t s = 0; s < order.size(); ++s)
            sql += (s ? ", " : "") + order[s];
    }
    return sql;
}

} // namespace ravelda::engine
