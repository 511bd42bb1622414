// Evaluating a compiled filter on a stored record or a decoded row.
#include "engine/bytes.h"
#include "engine/error.h"
#include "engine/fieldcodec.h"
#include "engine/filter_program.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace ravelda::engine {

namespace {

using Op = FilterExpr::Op;
using Slot = FilterSlot;

constexpr std::int64_t kMsPerDay = 86'400'000;
constexpr int kIncomparable = 2;

double decimalDouble(const std::string& t) {
    double d = 0;
    std::from_chars(t.data(), t.data() + t.size(), d);
    return d;
}

Slot text(const char* p, std::size_t n, Slot::Tag tag) {
    Slot s;
    s.tag = tag;
    s.p = p;
    s.n = n;
    return s;
}

Slot integer(Slot::Tag tag, std::int64_t v) {
    Slot s;
    s.tag = tag;
    s.i = v;
    return s;
}

Slot real(double v) {
    Slot s;
    s.tag = Slot::Dbl;
    s.d = v;
    return s;
}

struct Evaluator {
    const CompiledFilter::Program& p;
    FilterSource& src;

    const FilterNode& node(int i) const { return p.nodes[static_cast<std::size_t>(i)]; }

    Slot fromRecord(const FilterNode& n) {
        const std::uint8_t* at = src.record + n.offset;
        switch (n.type) {
        case FieldType::Alpha: {
            if (at[0] == 0) return {};
            const char* c = reinterpret_cast<const char*>(at);
            return text(c, strnlen(c, static_cast<std::size_t>(n.size)), Slot::Text);
        }
        case FieldType::Short: {
            const std::uint16_t raw = be16(at);
            if (raw == 0) return {};
            return integer(Slot::Int, static_cast<std::int16_t>(raw ^ 0x8000));
        }
        case FieldType::Long:
        case FieldType::AutoInc:
        case FieldType::Date:
        case FieldType::Time: {
            const std::uint32_t raw = be32(at);
            if (raw == 0) return {};
            const auto v = static_cast<std::int32_t>(raw ^ 0x80000000u);
            const Slot::Tag tag = n.type == FieldType::Date   ? Slot::Date
                                  : n.type == FieldType::Time ? Slot::Time
                                                              : Slot::Int;
            return integer(tag, v);
        }
        case FieldType::Number:
        case FieldType::Money:
            if (be64(at) == 0) return {};
            return real(decodeDouble(at));
        case FieldType::Timestamp: {
            if (be64(at) == 0) return {};
            // Rounded as the record decoder does, so that a row and its record always agree.
            return integer(Slot::Ts, static_cast<std::int64_t>(std::llround(decodeDouble(at))));
        }
        case FieldType::Logical:
            if (at[0] == 0) return {};
            return integer(Slot::Bool, at[0] != 0x80);
        case FieldType::Bytes: {
            for (int k = 0; k < n.size; ++k)
                if (at[k])
                    return text(reinterpret_cast<const char*>(at), static_cast<std::size_t>(n.size),
                                Slot::Bin);
            return {};
        }
        case FieldType::Bcd: {
            Value& v = src.scratch[n.scratch];
            v = decodeField(p.fields[static_cast<std::size_t>(n.field)], at);
            return slotOf(v);
        }
        default: {
            Value& v = src.scratch[n.scratch];
            v = src.blob(src.blobContext, n.field);
            return slotOf(v);
        }
        }
    }

    Slot fromRow(const FilterNode& n) {
        const Value& v = (*src.row)[static_cast<std::size_t>(n.field)];
        if (!v.isNull() && v.kind() != valueKindOf(n.type))
            throw Error(Error::Kind::InvalidArgument, {},
                        "the value given for field '" +
                            p.fields[static_cast<std::size_t>(n.field)].name +
                            "' has the wrong kind for its type");
        return slotOf(v);
    }

    Slot value(int i) {
        const FilterNode& n = node(i);
        switch (n.op) {
        case Op::Field:
            return src.record ? fromRecord(n) : fromRow(n);
        case Op::Constant: {
            Slot s = n.constant;
            s.p = n.bytes.data();
            return s;
        }
        case Op::Add:
        case Op::Subtract:
        case Op::Multiply:
        case Op::Divide:
            return arithmetic(n);
        default:
            break;
        }
        // A test used as a value cannot be compiled; keep a defined answer anyway.
        return integer(Slot::Bool, test(i));
    }

    static double number(const Slot& s) {
        return s.tag == Slot::Int ? static_cast<double>(s.i) : s.d;
    }

    Slot arithmetic(const FilterNode& n) {
        const Slot a = value(n.args[0]);
        const Slot b = value(n.args[1]);
        if (a.tag == Slot::Invalid || b.tag == Slot::Invalid) return integer(Slot::Invalid, 0);
        if (a.tag == Slot::Null || b.tag == Slot::Null) return {};
        if (a.tag == Slot::Date || b.tag == Slot::Date) {
            if (a.tag == Slot::Date && b.tag == Slot::Date) return integer(Slot::Int, a.i - b.i);
            const Slot& date = a.tag == Slot::Date ? a : b;
            const Slot& days = a.tag == Slot::Date ? b : a;
            const double d = std::trunc(number(days));
            if (!std::isfinite(d) || std::fabs(d) > 1e9) return integer(Slot::Invalid, 0);
            const auto k = static_cast<std::int64_t>(d);
            return integer(Slot::Date, n.op == Op::Subtract ? date.i - k : date.i + k);
        }
        if (a.tag == Slot::Int && b.tag == Slot::Int && n.op != Op::Divide) {
            std::int64_t r = 0;
            bool overflow = false;
            if (n.op == Op::Add) overflow = __builtin_add_overflow(a.i, b.i, &r);
            if (n.op == Op::Subtract) overflow = __builtin_sub_overflow(a.i, b.i, &r);
            if (n.op == Op::Multiply) overflow = __builtin_mul_overflow(a.i, b.i, &r);
            if (!overflow) return integer(Slot::Int, r);
        }
        const double x = number(a), y = number(b);
        switch (n.op) {
        case Op::Add:
            return real(x + y);
        case Op::Subtract:
            return real(x - y);
        case Op::Multiply:
            return real(x * y);
        default:
            if (y == 0) return integer(Slot::Invalid, 0);
            return real(x / y);
        }
    }

    int compareText(const Slot& a, const Slot& b) const {
        const std::size_t n = std::min(a.n, b.n);
        if (p.collation.byteOrder()) {
            const int r = std::memcmp(a.p, b.p, n);
            if (r) return r < 0 ? -1 : 1;
            return a.n == b.n ? 0 : (a.n < b.n ? -1 : 1);
        }
        // The collation compares NUL-padded fields of one width.
        const std::size_t width = std::max(a.n, b.n);
        std::uint8_t small[2][512];
        std::vector<std::uint8_t> large[2];
        std::uint8_t* x = small[0];
        std::uint8_t* y = small[1];
        if (width > sizeof small[0]) {
            large[0].resize(width);
            large[1].resize(width);
            x = large[0].data();
            y = large[1].data();
        }
        std::memcpy(x, a.p, a.n);
        std::memset(x + a.n, 0, width - a.n);
        std::memcpy(y, b.p, b.n);
        std::memset(y + b.n, 0, width - b.n);
        return p.collation.compare(x, y, static_cast<int>(width));
    }

    // -1, 0, 1, or kIncomparable.
    int compare(const Slot& a, const Slot& b) const {
        const auto three = [](auto x, auto y) { return x < y ? -1 : (x > y ? 1 : 0); };
        switch (a.tag) {
        case Slot::Int:
        case Slot::Dbl:
        case Slot::Dec: {
            if (a.tag == Slot::Int && b.tag == Slot::Int) return three(a.i, b.i);
            if (a.tag == Slot::Dec && b.tag == Slot::Dec)
                return compareDecimalText(a.p, a.n, b.p, b.n);
            const double x = number(a), y = number(b);
            if (std::isnan(x) || std::isnan(y)) return kIncomparable;
            return three(x, y);
        }
        case Slot::Text:
            return compareText(a, b);
        case Slot::Bin:
            return a.n == b.n && std::memcmp(a.p, b.p, a.n) == 0 ? 0 : 1;
        case Slot::Date:
            if (b.tag == Slot::Ts) return three(a.i * kMsPerDay, b.i);
            return three(a.i, b.i);
        case Slot::Ts:
            if (b.tag == Slot::Date) return three(a.i, b.i * kMsPerDay);
            return three(a.i, b.i);
        case Slot::Bool:
        case Slot::Time:
            return three(a.i, b.i);
        default:
            return kIncomparable;
        }
    }

    bool test(int i) {
        const FilterNode& n = node(i);
        switch (n.op) {
        case Op::Field:
        case Op::Constant: {
            const Slot s = value(i);
            return s.tag == Slot::Bool && s.i != 0;
        }
        case Op::And:
            for (int a : n.args)
                if (!test(a)) return false;
            return true;
        case Op::Or:
            for (int a : n.args)
                if (test(a)) return true;
            return false;
        case Op::Not:
            return !test(n.args[0]);
        case Op::IsNull:
            return value(n.args[0]).tag == Slot::Null;
        case Op::Equal:
        case Op::NotEqual:
        case Op::Less:
        case Op::LessEqual:
        case Op::Greater:
        case Op::GreaterEqual: {
            if (n.nullTestArg >= 0) {
                const Slot s = value(n.nullTestArg);
                if (s.tag == Slot::Invalid) return false;
                return (s.tag == Slot::Null) == (n.op == Op::Equal);
            }
            const Slot a = value(n.args[0]);
            if (a.tag == Slot::Null || a.tag == Slot::Invalid) return false;
            const Slot b = value(n.args[1]);
            if (b.tag == Slot::Null || b.tag == Slot::Invalid) return false;
            const int c = compare(a, b);
            if (c == kIncomparable) return false;
            switch (n.op) {
            case Op::Equal:
                return c == 0;
            case Op::NotEqual:
                return c != 0;
            case Op::Less:
                return c < 0;
            case Op::LessEqual:
                return c <= 0;
            case Op::Greater:
                return c > 0;
            default:
                return c >= 0;
            }
        }
        default:
            return value(i).tag == Slot::Bool && value(i).i != 0;
        }
    }
};

// Sign, integer digits without leading zeros and fraction digits without trailing zeros.
struct DecimalParts {
    bool negative = false;
    std::string_view whole, fraction;
};

DecimalParts splitDecimal(const char* t, std::size_t n) {
    DecimalParts d;
    std::string_view s(t, n);
    if (!s.empty() && s[0] == '-') {
        d.negative = true;
        s.remove_prefix(1);
    }
    const std::size_t dot = s.find('.');
    d.whole = s.substr(0, dot);
    if (dot != std::string_view::npos) d.fraction = s.substr(dot + 1);
    while (!d.whole.empty() && d.whole[0] == '0')
        d.whole.remove_prefix(1);
    while (!d.fraction.empty() && d.fraction.back() == '0')
        d.fraction.remove_suffix(1);
    if (d.whole.empty() && d.fraction.empty()) d.negative = false; // -0 is 0
    return d;
}

} // namespace

int compareDecimalText(const char* a, std::size_t an, const char* b, std::size_t bn) {
    const DecimalParts x = splitDecimal(a, an), y = splitDecimal(b, bn);
    if (x.negative != y.negative) return x.negative ? -1 : 1;
    int magnitude = 0;
    if (x.whole.size() != y.whole.size())
        magnitude = x.whole.size() < y.whole.size() ? -1 : 1;
    else if (const int w = x.whole.compare(y.whole); w != 0)
        magnitude = w < 0 ? -1 : 1;
    else if (const int f = x.fraction.compare(y.fraction); f != 0)
        magnitude = f < 0 ? -1 : 1;
    return x.negative ? -magnitude : magnitude;
}

FilterSlot slotOf(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Null:
        return {};
    case Value::Kind::Integer:
        return integer(Slot::Int, v.asInteger());
    case Value::Kind::Double:
        return real(v.asDouble());
    case Value::Kind::Bool:
        return integer(Slot::Bool, v.asBool());
    case Value::Kind::Date:
        return integer(Slot::Date, v.asDate().days);
    case Value::Kind::Time:
        return integer(Slot::Time, v.asTime().ms);
    case Value::Kind::Timestamp:
        return integer(Slot::Ts, v.asTimestamp().ms);
    case Value::Kind::Decimal: {
        Slot s = text(v.asDecimal().data(), v.asDecimal().size(), Slot::Dec);
        s.d = decimalDouble(v.asDecimal());
        return s;
    }
    case Value::Kind::Text:
        if (v.asText().empty()) return {};
        return text(v.asText().data(), v.asText().size(), Slot::Text);
    case Value::Kind::Binary:
        return text(v.asBinary().data(), v.asBinary().size(), Slot::Bin);
    }
    return {};
}

bool evaluateFilter(const CompiledFilter::Program& program, FilterSource& source) {
    return Evaluator{program, source}.test(program.root);
}

bool CompiledFilter::matches(const std::vector<Value>& row) const {
    const Program& p = *program_;
    if (row.size() < p.fields.size())
        throw Error(Error::Kind::InvalidArgument, {},
                    "a row needs " + std::to_string(p.fields.size()) + " values, not " +
                        std::to_string(row.size()));
    FilterSource src;
    src.row = &row;
    return evaluateFilter(p, src);
}

bool CompiledFilter::matchesRecordImpl(const std::uint8_t* record, void* ctx,
                                       Value (*blob)(void*, int)) const {
    const Program& p = *program_;
    FilterSource src;
    src.record = record;
    src.blobContext = ctx;
    src.blob = blob;
    if (p.scratchCount == 0) return evaluateFilter(p, src);
    Value few[4];
    std::vector<Value> many;
    src.scratch = few;
    if (p.scratchCount > 4) {
        many.resize(static_cast<std::size_t>(p.scratchCount));
        src.scratch = many.data();
    }
    return evaluateFilter(p, src);
}

} // namespace ravelda::engine
