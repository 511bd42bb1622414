// RFC 4180 records: writing and reading.
#include "engine/csv.h"

#include "engine/error.h"

namespace ravelda::engine::csv {

void appendField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

std::string formatRecord(const std::vector<std::string>& fields) {
    std::string out;
    if (fields.size() == 1 && fields.front().empty()) {
        out = "\"\"\r\n"; // a bare empty line would read as no record at all
        return out;
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ',';
        appendField(out, fields[i]);
    }
    out += "\r\n";
    return out;
}

int Reader::get() {
    int c;
    if (!pending_.empty()) {
        c = static_cast<unsigned char>(pending_.front());
        pending_.erase(0, 1);
    } else {
        c = in_.get();
        if (c == std::char_traits<char>::eof()) return -1;
    }
    ++offset_;
    if (c == '\n') ++lineNo_;
    return c;
}

int Reader::peek() {
    if (!pending_.empty()) return static_cast<unsigned char>(pending_.front());
    int c = in_.peek();
    return c == std::char_traits<char>::eof() ? -1 : c;
}

bool Reader::next(std::vector<std::string>& fields) {
    fields.clear();
    if (!started_) {
        started_ = true;
        // Spreadsheets often start UTF-8 files with a byte order mark.
        static const char bom[] = "\xEF\xBB\xBF";
        std::string seen;
        while (seen.size() < 3 && peek() == static_cast<unsigned char>(bom[seen.size()]))
            seen += static_cast<char>(in_.get());
        if (seen.size() == 3)
            offset_ += 3;
        else
            pending_ = seen;
    }
    // Blank lines carry no record.
    for (;;) {
        int c = peek();
        if (c == -1) return false;
        if (c == '\n') {
            get();
            continue;
        }
        if (c == '\r') {
            get();
            if (peek() == '\n') get();
            continue;
        }
        break;
    }
    recordLine_ = lineNo_;
    std::string field;
    bool closedQuote = false; // the current field was quoted and its quote is closed
    for (;;) {
        int c = get();
        if (c == '"' && field.empty() && !closedQuote) {
            std::int64_t openedOn = lineNo_;
            for (;;) {
                int q = get();
                if (q == -1)
                    throw Error(Error::Kind::InvalidArgument, {},
                                "line " + std::to_string(openedOn) +
                                    ": quoted field is not closed before the end of the file");
                if (q == '"') {
                    if (peek() != '"') break;
                    get();
                }
                field += static_cast<char>(q);
            }
            closedQuote = true;
            int after = peek();
            if (after != ',' && after != '\n' && after != '\r' && after != -1)
                throw Error(Error::Kind::InvalidArgument, {},
                            "line " + std::to_string(lineNo_) +
                                ": unexpected text after a closing quote");
            continue;
        }
        if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
            closedQuote = false;
            continue;
        }
        if (c == '\n' || c == '\r' || c == -1) {
            if (c == '\r' && peek() == '\n') get();
            fields.push_back(std::move(field));
            return true;
        }
        field += static_cast<char>(c);
    }
}

} // namespace ravelda::engine::csv
