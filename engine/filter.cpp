#include "engine/filter.h"

#include "engine/error.h"

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

std::string describe(const FilterExpr&) {
    return {};
}

struct CompiledFilter::Program {
    FilterExpr expr;
    std::vector<int> fields;
};

CompiledFilter::CompiledFilter(const FilterExpr& expr, const std::vector<FieldDef>&,
                               const Collation&) {
    auto p = std::make_shared<Program>();
    p->expr = expr;
    program_ = p;
    throw Error(Error::Kind::Unsupported, {}, "filters are not built yet");
}
CompiledFilter::~CompiledFilter() = default;
CompiledFilter::CompiledFilter(const CompiledFilter&) = default;
CompiledFilter& CompiledFilter::operator=(const CompiledFilter&) = default;
CompiledFilter::CompiledFilter(CompiledFilter&&) noexcept = default;
CompiledFilter& CompiledFilter::operator=(CompiledFilter&&) noexcept = default;

bool CompiledFilter::matches(const std::vector<Value>&) const {
    return true;
}
bool CompiledFilter::matchesRecordImpl(const std::uint8_t*, void*, Value (*)(void*, int)) const {
    return true;
}
const std::vector<int>& CompiledFilter::fieldsRead() const {
    return program_->fields;
}
const FilterExpr& CompiledFilter::expression() const {
    return program_->expr;
}

} // namespace ravelda::engine
