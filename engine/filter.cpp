// Filter trees: construction and their readable form.
#include "engine/filter.h"

#include <cstdio>

namespace ravelda::engine {

FilterExpr FilterExpr::field(int index) {
    FilterExpr e;
    e.op = Op::Field;
    e.fieldIndex = index;
    return e;
}

FilterExpr FilterExpr::constant(Value v) {
    FilterExpr e;
    e.op = Op::Constant;
    e.value = std::move(v);
    return e;
}

FilterExpr FilterExpr::unary(Op op, FilterExpr a) {
    FilterExpr e;
    e.op = op;
    e.args.push_back(std::move(a));
    return e;
}

FilterExpr FilterExpr::binary(Op op, FilterExpr a, FilterExpr b) {
    FilterExpr e;
    e.op = op;
    e.args.push_back(std::move(a));
    e.args.push_back(std::move(b));
    return e;
}

const char* filterOpText(FilterExpr::Op op) {
    using Op = FilterExpr::Op;
    switch (op) {
    case Op::Equal:
        return "=";
    case Op::NotEqual:
        return "<>";
    case Op::Less:
        return "<";
    case Op::LessEqual:
        return "<=";
    case Op::Greater:
        return ">";
    case Op::GreaterEqual:
        return ">=";
    case Op::And:
        return "AND";
    case Op::Or:
        return "OR";
    case Op::Not:
        return "NOT";
    case Op::Add:
        return "+";
    case Op::Subtract:
        return "-";
    case Op::Multiply:
        return "*";
    case Op::Divide:
        return "/";
    case Op::IsNull:
        return "IS NULL";
    case Op::Field:
        return "field";
    case Op::Constant:
        return "constant";
    }
    return "?";
}

std::string describeValue(const Value& v) {
    char buf[64];
    switch (v.kind()) {
    case Value::Kind::Null:
        return "NULL";
    case Value::Kind::Integer:
        return std::to_string(v.asInteger());
    case Value::Kind::Double:
        std::snprintf(buf, sizeof buf, "%.17g", v.asDouble());
        return buf;
    case Value::Kind::Bool:
        return v.asBool() ? "TRUE" : "FALSE";
    case Value::Kind::Date: {
        int y = 0, m = 0, d = 0;
        v.asDate().toYmd(y, m, d);
        std::snprintf(buf, sizeof buf, "DATE %04d-%02d-%02d", y, m, d);
        return buf;
    }
    case Value::Kind::Time:
        return std::string("TIME ").append(std::to_string(v.asTime().ms)).append("ms");
    case Value::Kind::Timestamp:
        return std::string("TIMESTAMP ").append(std::to_string(v.asTimestamp().ms)).append("ms");
    case Value::Kind::Decimal:
        return v.asDecimal();
    case Value::Kind::Text:
        return std::string(1, '\'').append(v.asText()).append(1, '\'');
    case Value::Kind::Binary:
        return std::string("BINARY(").append(std::to_string(v.asBinary().size())).append(" bytes)");
    }
    return "?";
}

std::string describeFilter(const FilterExpr& e, const std::vector<FieldDef>* fields) {
    using Op = FilterExpr::Op;
    switch (e.op) {
    case Op::Field:
        if (fields && e.fieldIndex >= 0 && e.fieldIndex < static_cast<int>(fields->size()))
            return (*fields)[static_cast<std::size_t>(e.fieldIndex)].name;
        return std::string(1, 'f').append(std::to_string(e.fieldIndex));
    case Op::Constant:
        return describeValue(e.value);
    case Op::Not:
        return std::string("NOT ").append(e.args.empty() ? std::string("?")
                                                         : describeFilter(e.args[0], fields));
    case Op::IsNull:
        return (e.args.empty() ? std::string("?") : describeFilter(e.args[0], fields)) + " IS NULL";
    default:
        break;
    }
    std::string out = "(";
    for (std::size_t i = 0; i < e.args.size(); ++i) {
        if (i) out += std::string(" ") + filterOpText(e.op) + " ";
        out += describeFilter(e.args[i], fields);
    }
    if (e.args.size() < 2) out += std::string(e.args.empty() ? "" : " ") + filterOpText(e.op);
    return out + ")";
}

std::string describe(const FilterExpr& expr) {
    return describeFilter(expr, nullptr);
}

} // namespace ravelda::engine
