// Checking a filter tree against a table's fields and building its evaluation nodes.
#include "engine/error.h"
#include "engine/filter_program.h"

#include <algorithm>
#include <charconv>

namespace ravelda::engine {

namespace {

using Op = FilterExpr::Op;

constexpr int kMaxFilterDepth = 256;

[[noreturn]] void refuse(const std::string& why) {
    throw Error(Error::Kind::InvalidArgument, {}, "invalid filter: " + why);
}

FilterClass classOfKind(Value::Kind k) {
    switch (k) {
    case Value::Kind::Null:
        return FilterClass::Null;
    case Value::Kind::Integer:
    case Value::Kind::Double:
    case Value::Kind::Decimal:
        return FilterClass::Number;
    case Value::Kind::Bool:
        return FilterClass::Bool;
    case Value::Kind::Date:
        return FilterClass::Date;
    case Value::Kind::Time:
        return FilterClass::Time;
    case Value::Kind::Timestamp:
        return FilterClass::Timestamp;
    case Value::Kind::Text:
        return FilterClass::Text;
    case Value::Kind::Binary:
        return FilterClass::Binary;
    }
    return FilterClass::Null;
}

const char* className(FilterClass c) {
    switch (c) {
    case FilterClass::Test:
        return "a test";
    case FilterClass::Null:
        return "NULL";
    case FilterClass::Number:
        return "a number";
    case FilterClass::Text:
        return "a text";
    case FilterClass::Bool:
        return "a logical value";
    case FilterClass::Date:
        return "a date";
    case FilterClass::Time:
        return "a time";
    case FilterClass::Timestamp:
        return "a timestamp";
    case FilterClass::Binary:
        return "binary data";
    }
    return "?";
}

bool isTest(FilterClass c) {
    return c == FilterClass::Test || c == FilterClass::Bool;
}

bool comparable(FilterClass a, FilterClass b) {
    if (a == FilterClass::Null || b == FilterClass::Null || a == b) return true;
    const auto dated = [](FilterClass c) {
        return c == FilterClass::Date || c == FilterClass::Timestamp;
    };
    return dated(a) && dated(b);
}

struct Compiler {
    CompiledFilter::Program& p;
    std::vector<int> offsets;

    std::string text(const FilterExpr& e) const { return describeFilter(e, &p.fields); }

    void arity(const FilterExpr& e, std::size_t want, bool orMore = false) const {
        if (orMore ? e.args.size() >= want : e.args.size() == want) return;
        refuse(std::string(filterOpText(e.op)) + " takes " + std::to_string(want) +
               (orMore ? " or more" : "") + " operand" + (want == 1 ? "" : "s") + ", not " +
               std::to_string(e.args.size()));
    }

    int add(FilterNode n) {
        p.nodes.push_back(std::move(n));
        return static_cast<int>(p.nodes.size()) - 1;
    }

    int depth = 0;

    int build(const FilterExpr& e) {
        // Evaluation recurses as deep as the tree: keep it far from the stack's end.
        if (depth >= kMaxFilterDepth)
            refuse("the filter is nested more than " + std::to_string(kMaxFilterDepth) +
                   " levels deep");
        ++depth;
        const int node = buildNode(e);
        --depth;
        return node;
    }

    int buildNode(const FilterExpr& e) {
        FilterNode n;
        n.op = e.op;
        switch (e.op) {
        case Op::Field: {
            arity(e, 0);
            if (e.fieldIndex < 0 || e.fieldIndex >= static_cast<int>(p.fields.size()))
                refuse("field index " + std::to_string(e.fieldIndex) + " is out of range (" +
                       std::to_string(p.fields.size()) + " fields)");
            const FieldDef& f = p.fields[static_cast<std::size_t>(e.fieldIndex)];
            n.field = e.fieldIndex;
            n.type = f.type;
            n.offset = offsets[static_cast<std::size_t>(e.fieldIndex)];
            n.size = f.size;
            n.cls = classOfKind(valueKindOf(f.type));
            if (f.type == FieldType::Bcd || isBlobType(f.type)) n.scratch = p.scratchCount++;
            if (std::find(p.fieldsRead.begin(), p.fieldsRead.end(), n.field) == p.fieldsRead.end())
                p.fieldsRead.push_back(n.field);
            return add(std::move(n));
        }
        case Op::Constant: {
            arity(e, 0);
            const Value& v = e.value;
            n.cls = classOfKind(v.kind());
            if (v.kind() == Value::Kind::Text && v.asText().empty()) n.cls = FilterClass::Null;
            if (v.kind() == Value::Kind::Decimal && !validDecimalText(v.asDecimal()))
                refuse("'" + v.asDecimal() + "' is not a decimal number");
            if (n.cls != FilterClass::Null) {
                n.constant = slotOf(v);
                if (v.kind() == Value::Kind::Text) n.bytes = v.asText();
                if (v.kind() == Value::Kind::Binary) n.bytes = v.asBinary();
                if (v.kind() == Value::Kind::Decimal) n.bytes = v.asDecimal();
                n.constant.p = nullptr; // pointed at bytes when evaluated: nodes move
            }
            return add(std::move(n));
        }
        case Op::Equal:
        case Op::NotEqual:
        case Op::Less:
        case Op::LessEqual:
        case Op::Greater:
        case Op::GreaterEqual: {
            arity(e, 2);
            const int a = build(e.args[0]), b = build(e.args[1]);
            const FilterClass ca = p.nodes[static_cast<std::size_t>(a)].cls;
            const FilterClass cb = p.nodes[static_cast<std::size_t>(b)].cls;
            if (ca == FilterClass::Test || cb == FilterClass::Test)
                refuse("cannot compare the result of a test: " + text(e));
            if (!comparable(ca, cb))
                refuse(std::string("cannot compare ") + className(ca) + " with " + className(cb) +
                       ": " + text(e));
            if ((ca == FilterClass::Binary || cb == FilterClass::Binary) && e.op != Op::Equal &&
                e.op != Op::NotEqual)
                refuse("binary data can only be tested for equality: " + text(e));
            n.cls = FilterClass::Test;
            n.args = {a, b};
            if (e.op == Op::Equal || e.op == Op::NotEqual) {
                const auto nullConstant = [&](int i) {
                    const FilterNode& x = p.nodes[static_cast<std::size_t>(i)];
                    return x.op == Op::Constant && x.cls == FilterClass::Null;
                };
                if (nullConstant(b))
                    n.nullTestArg = a;
                else if (nullConstant(a))
                    n.nullTestArg = b;
            }
            return add(std::move(n));
        }
        case Op::And:
        case Op::Or:
        case Op::Not: {
            if (e.op == Op::Not)
                arity(e, 1);
            else
                arity(e, 2, true);
            for (const FilterExpr& a : e.args) {
                const int i = build(a);
                const FilterClass c = p.nodes[static_cast<std::size_t>(i)].cls;
                if (!isTest(c))
                    refuse(std::string(filterOpText(e.op)) + " needs tests, not " + className(c) +
                           ": " + text(a));
                n.args.push_back(i);
            }
            n.cls = FilterClass::Test;
            return add(std::move(n));
        }
        case Op::IsNull: {
            arity(e, 1);
            const int a = build(e.args[0]);
            if (p.nodes[static_cast<std::size_t>(a)].cls == FilterClass::Test)
                refuse("IS NULL needs a value, not a test: " + text(e.args[0]));
            n.args = {a};
            n.cls = FilterClass::Test;
            return add(std::move(n));
        }
        case Op::Add:
        case Op::Subtract:
        case Op::Multiply:
        case Op::Divide: {
            arity(e, 2);
            const int a = build(e.args[0]), b = build(e.args[1]);
            const FilterClass ca = p.nodes[static_cast<std::size_t>(a)].cls;
            const FilterClass cb = p.nodes[static_cast<std::size_t>(b)].cls;
            const auto num = [](FilterClass c) {
                return c == FilterClass::Number || c == FilterClass::Null;
            };
            const bool additive = e.op == Op::Add || e.op == Op::Subtract;
            if (num(ca) && num(cb))
                n.cls = FilterClass::Number;
            else if (additive && ca == FilterClass::Date && num(cb))
                n.cls = FilterClass::Date;
            else if (e.op == Op::Add && num(ca) && cb == FilterClass::Date)
                n.cls = FilterClass::Date;
            else if (e.op == Op::Subtract && ca == FilterClass::Date && cb == FilterClass::Date)
                n.cls = FilterClass::Number;
            else
                refuse(std::string("cannot compute ") + className(ca) + " " + filterOpText(e.op) +
                       " " + className(cb) + ": " + text(e));
            n.args = {a, b};
            return add(std::move(n));
        }
        }
        refuse("unknown operator " + std::to_string(static_cast<int>(e.op)));
    }
};

} // namespace

bool validDecimalText(const std::string& t) {
    std::size_t i = 0;
    if (i < t.size() && t[i] == '-') ++i;
    std::size_t digits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    return digits > 0 && i == t.size();
}

CompiledFilter::CompiledFilter(const FilterExpr& expr, const std::vector<FieldDef>& fields,
                               const Collation& collation) {
    auto p = std::make_shared<Program>();
    p->expr = expr;
    p->fields = fields;
    p->fieldCount = static_cast<int>(fields.size());
    p->collation = collation;
    Compiler c{*p, {}};
    int off = 0;
    for (const FieldDef& f : fields) {
        c.offsets.push_back(off);
        off += storedSize(f);
    }
    p->root = c.build(expr);
    const FilterClass top = p->nodes[static_cast<std::size_t>(p->root)].cls;
    if (!isTest(top))
        refuse(std::string("a filter must be a test (a comparison, AND, OR, NOT or IS NULL), "
                           "not ") +
               className(top) + ": " + describeFilter(expr, &fields));
    std::sort(p->fieldsRead.begin(), p->fieldsRead.end());
    program_ = std::move(p);
}

CompiledFilter::~CompiledFilter() = default;
CompiledFilter::CompiledFilter(const CompiledFilter&) = default;
CompiledFilter& CompiledFilter::operator=(const CompiledFilter&) = default;
CompiledFilter::CompiledFilter(CompiledFilter&&) noexcept = default;
CompiledFilter& CompiledFilter::operator=(CompiledFilter&&) noexcept = default;

const std::vector<int>& CompiledFilter::fieldsRead() const {
    return program_->fieldsRead;
}

const FilterExpr& CompiledFilter::expression() const {
    return program_->expr;
}

} // namespace ravelda::engine
