#pragma once
// The compiled form of a row filter (engine-internal): a tree of typed nodes evaluated on
// values read straight from record bytes, without building a Value per field where the type
// allows.
#include "engine/filter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ravelda::engine {

// What a node yields, as checked when compiling.
enum class FilterClass : std::uint8_t {
    Test,      // a truth value of a comparison, And, Or, Not or IsNull
    Null,      // the Null constant: goes with every value class
    Number,    // Integer, Double, Decimal
    Text,      //
    Bool,      //
    Date,      //
    Time,      //
    Timestamp, //
    Binary,    //
};

// One value during evaluation. Text, Binary and Decimal point at bytes that live at least as
// long as the evaluation (the record, the row, the program or the evaluation's scratch).
struct FilterSlot {
    enum Tag : std::uint8_t { Null, Invalid, Int, Dbl, Dec, Bool, Date, Time, Ts, Text, Bin };
    Tag tag = Null;
    std::int64_t i = 0; // Int, Bool, Date (days), Time (ms), Ts (ms)
    double d = 0;       // Dbl; Dec: its value as a double
    const char* p = nullptr;
    std::size_t n = 0;
};

struct FilterNode {
    FilterExpr::Op op = FilterExpr::Op::Constant;
    FilterClass cls = FilterClass::Null;
    // Field: how to read it.
    int field = -1;
    FieldType type = FieldType::Alpha;
    int offset = 0, size = 0;
    int scratch = -1; // index of the evaluation's Value kept for a decoded Bcd or blob
    // Constant.
    FilterSlot constant;
    std::string bytes; // Text, Binary or Decimal bytes of the constant
    // Equal / NotEqual with a Null constant: a blank test of the argument at nullTestArg.
    int nullTestArg = -1;
    std::vector<int> args; // indexes of the argument nodes
};

struct CompiledFilter::Program {
    FilterExpr expr;
    std::vector<FilterNode> nodes; // the root is nodes[root]
    int root = 0;
    std::vector<int> fieldsRead;
    int scratchCount = 0;
    int fieldCount = 0;
    std::vector<FieldDef> fields;
    Collation collation;
};

// Where field values come from during one evaluation.
struct FilterSource {
    const std::uint8_t* record = nullptr;    // a stored record, or
    const std::vector<Value>* row = nullptr; // a decoded row
    void* blobContext = nullptr;
    Value (*blob)(void*, int) = nullptr;
    Value* scratch = nullptr;
};

bool evaluateFilter(const CompiledFilter::Program& program, FilterSource& source);

// Reads a Value (of the kind its class allows) into a slot pointing into the value.
FilterSlot slotOf(const Value& v);

// Readable forms for messages: the operator's symbol, and a tree with field names when given.
const char* filterOpText(FilterExpr::Op op);
std::string describeFilter(const FilterExpr& expr, const std::vector<FieldDef>* fields);

// Compares two Decimal texts "[-]digits[.digits]" exactly: -1, 0 or 1.
int compareDecimalText(const char* a, std::size_t an, const char* b, std::size_t bn);
// Whether text is a well-formed Decimal.
bool validDecimalText(const std::string& text);

} // namespace ravelda::engine
