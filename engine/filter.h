#pragma once
// Row filters of the table engine: an expression tree over the fields of a table, and its
// compiled form that a cursor evaluates on every row it considers.
//
// Meaning of the operators (two-valued: every test is either true or false):
//   Field, Constant        operands; a field reads as valueKindOf(its type). Blank fields are
//                          Null; an empty Text constant is Null too (Paradox stores an empty
//                          Alpha as blank).
//   Equal .. GreaterEqual  false whenever an operand is Null, with one exception: Equal with a
//                          Null constant operand tests that the other operand is blank (IsNull),
//                          NotEqual with a Null constant that it is not.
//                          Integer, Double and Decimal compare numerically across kinds (two
//                          Decimals exactly); Text with Text by the table's collation, with case;
//                          Date, Time and Timestamp among themselves except Time with Date or
//                          Timestamp (a Date is a Timestamp at midnight); Bool with Bool
//                          (False < True); Binary with Binary for Equal and NotEqual only.
//   And, Or                two or more operands, evaluated left to right, stopping as soon as
//                          the result is known.
//   Not                    one operand.
//   Add .. Divide          two number operands: Integer op Integer stays Integer for Add,
//                          Subtract and Multiply (Double when it would overflow); everything else
//                          is Double. Date + number and Date - number move by whole days
//                          (a Date), Date - Date gives the days between (Integer). A Null
//                          operand gives Null. Division by zero gives no value at all: every
//                          comparison with it is false, IsNull included.
//   IsNull                 one operand: true when it is blank (Null).
// A Bool operand (a Logical field, a Bool constant) may stand where a test is expected: it is
// true when it is True (a blank Logical is not).
//
// Operand kinds are checked when compiling: a comparison of incompatible kinds (a Text field
// with a number, a Time with a Date…), arithmetic on non-numbers, And/Or/Not on a non-test, a
// field index out of range, a wrong number of operands or a tree nested more than 256 levels
// deep is refused with Error InvalidArgument naming the problem.
#include "engine/collation.h"
#include "engine/types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace ravelda::engine {

struct FilterExpr {
    enum class Op {
        Field,
        Constant,
        Equal,
        NotEqual,
        Less,
        LessEqual,
        Greater,
        GreaterEqual,
        And,
        Or,
        Not,
        Add,
        Subtract,
        Multiply,
        Divide,
        IsNull,
    };

    Op op = Op::Constant;
    int fieldIndex = -1; // Field: 0-based index into the table's fields
    Value value;         // Constant
    std::vector<FilterExpr> args;

    static FilterExpr field(int index);
    static FilterExpr constant(Value v);
    static FilterExpr unary(Op op, FilterExpr a);                // Not, IsNull
    static FilterExpr binary(Op op, FilterExpr a, FilterExpr b); // comparisons, And, Or, arithmetic
    // Shorthands for the common cases.
    static FilterExpr compare(Op op, int fieldIndex, Value v) {
        return binary(op, field(fieldIndex), constant(std::move(v)));
    }

    bool operator==(const FilterExpr&) const = default;
};

// A readable form of a tree for messages and tests, e.g. "(f0 > 5 AND f2 = 'x')".
std::string describe(const FilterExpr& expr);

// A FilterExpr checked against a table's fields and turned into a form that is fast to evaluate.
// Copyable (copies share the compiled program, which is immutable).
class CompiledFilter {
public:
    // Error InvalidArgument (with the reason) when the tree does not fit the fields.
    CompiledFilter(const FilterExpr& expr, const std::vector<FieldDef>& fields,
                   const Collation& collation = Collation());
    ~CompiledFilter();
    CompiledFilter(const CompiledFilter&);
    CompiledFilter& operator=(const CompiledFilter&);
    CompiledFilter(CompiledFilter&&) noexcept;
    CompiledFilter& operator=(CompiledFilter&&) noexcept;

    // Evaluates on a decoded row (one value per field, as Cursor::row() gives it). Error
    // InvalidArgument when the row is too short or a value has the wrong kind for its field.
    bool matches(const std::vector<Value>& row) const;

    // Evaluates on a stored record. blob(field) is called for each blob field the filter reads
    // and must return its value.
    template <typename BlobReader>
    bool matchesRecord(const std::uint8_t* record, BlobReader&& blob) const {
        return matchesRecordImpl(record, &blob, [](void* ctx, int field) {
            return (*static_cast<std::remove_reference_t<BlobReader>*>(ctx))(field);
        });
    }

    // The fields the filter reads, ascending.
    const std::vector<int>& fieldsRead() const;
    const FilterExpr& expression() const;

    struct Program;

private:
    bool matchesRecordImpl(const std::uint8_t* record, void* ctx, Value (*blob)(void*, int)) const;
    std::shared_ptr<const Program> program_;
};

} // namespace ravelda::engine
