// libFuzzer target over filter trees: any tree either is refused with an Error or evaluates, and
// a stored record and the row decoded from it always get the same answer.
#include "engine/error.h"
#include "engine/fieldcodec.h"
#include "engine/filter.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using namespace ravelda::engine;
using Op = FilterExpr::Op;

namespace {

const std::vector<FieldDef>& fields() {
    static const std::vector<FieldDef> f{
        {"A", FieldType::Alpha, 10},     {"S", FieldType::Short, 2},  {"I", FieldType::Long, 4},
        {"N", FieldType::Number, 8},     {"M", FieldType::Money, 8},  {"B", FieldType::Bcd, 2},
        {"L", FieldType::Logical, 1},    {"D", FieldType::Date, 4},   {"T", FieldType::Time, 4},
        {"TS", FieldType::Timestamp, 8}, {"MO", FieldType::Memo, 11}, {"Y", FieldType::Bytes, 4},
        {"P", FieldType::AutoInc, 4},    {"BL", FieldType::Blob, 10},
    };
    return f;
}

struct Input {
    const std::uint8_t* p;
    std::size_t n;
    std::uint8_t byte() {
        if (n == 0) return 0;
        --n;
        return *p++;
    }
    std::string bytes(std::size_t k) {
        std::string s;
        while (k-- && n)
            s.push_back(static_cast<char>(byte()));
        return s;
    }
    std::int64_t number() {
        std::int64_t v = 0;
        const std::string b = bytes(8);
        std::memcpy(&v, b.data(), b.size());
        return v;
    }
};

Value constant(Input& in) {
    switch (in.byte() % 10) {
    case 0:
        return Value();
    case 1:
        return Value::integer(in.number() >> (in.byte() % 64));
    case 2: {
        const std::int64_t bits = in.number();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return Value::number(d);
    }
    case 3:
        return Value::boolean(in.byte() & 1);
    case 4:
        return Value::date(Date{static_cast<std::int32_t>(in.number())});
    case 5:
        return Value::time(Time{static_cast<std::int32_t>(in.number())});
    case 6:
        return Value::timestamp(Timestamp{in.number()});
    case 7: {
        std::string digits = in.bytes(in.byte() % 12);
        for (char& c : digits)
            c = static_cast<char>(
                c == '-' || c == '.' ? c : '0' + (static_cast<unsigned char>(c) % 10));
        return Value::decimal(digits);
    }
    case 8:
        return Value::text(in.bytes(in.byte() % 14));
    default:
        return Value::binary(in.bytes(in.byte() % 6));
    }
}

FilterExpr tree(Input& in, int depth) {
    FilterExpr e;
    const int op = in.byte() % 16;
    e.op = static_cast<Op>(depth > 6 ? op % 2 : op);
    if (e.op == Op::Field) {
        e.fieldIndex = static_cast<int>(in.byte() % 16) - 1;
        return e;
    }
    if (e.op == Op::Constant) {
        e.value = constant(in);
        return e;
    }
    int args = (e.op == Op::Not || e.op == Op::IsNull) ? 1 : 2;
    if ((e.op == Op::And || e.op == Op::Or) && (in.byte() & 3) == 0) args = 1 + in.byte() % 4;
    for (int i = 0; i < args; ++i)
        e.args.push_back(tree(in, depth + 1));
    return e;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{data, size};
    const FilterExpr expr = tree(in, 0);
    // The record: what is left of the input, zero-padded.
    std::vector<std::uint8_t> record;
    for (const FieldDef& f : fields())
        for (int i = 0; i < storedSize(f); ++i)
            record.push_back(in.byte());
    // Blob fields read as a value made of their leader bytes.
    auto blob = [&](int field) {
        std::size_t off = 0;
        for (int i = 0; i < field; ++i)
            off += static_cast<std::size_t>(storedSize(fields()[static_cast<std::size_t>(i)]));
        std::string s(reinterpret_cast<const char*>(record.data() + off), 3);
        return fields()[static_cast<std::size_t>(field)].type == FieldType::Memo
                   ? Value::text(s.substr(0, s.find('\0')))
                   : Value::binary(s);
    };
    std::vector<Value> row;
    std::size_t off = 0;
    for (std::size_t i = 0; i < fields().size(); ++i) {
        const FieldDef& f = fields()[i];
        row.push_back(isBlobType(f.type) ? blob(static_cast<int>(i))
                                         : decodeField(f, record.data() + off));
        off += static_cast<std::size_t>(storedSize(f));
    }
    try {
        const CompiledFilter filter(expr, fields());
        const bool onRow = filter.matches(row);
        const bool onRecord = filter.matchesRecord(record.data(), blob);
        if (onRow != onRecord) __builtin_trap();
        (void)describe(expr);
    } catch (const Error& e) {
        if (e.kind() != Error::Kind::InvalidArgument) __builtin_trap();
    }
    return 0;
}
