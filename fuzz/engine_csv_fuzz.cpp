// libFuzzer target over the CSV reader and the parse of every field type's text.
#include "engine/csv.h"
#include "engine/error.h"

#include <cstdint>
#include <sstream>

using namespace ravelda::engine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TextCodec codec(1252);
    static const std::vector<FieldDef> fields{
        {"A", FieldType::Alpha, 10},  {"D", FieldType::Date, 4},   {"S", FieldType::Short, 2},
        {"I", FieldType::Long, 4},    {"M", FieldType::Money, 8},  {"N", FieldType::Number, 8},
        {"L", FieldType::Logical, 1}, {"T", FieldType::Time, 4},   {"TS", FieldType::Timestamp, 8},
        {"P", FieldType::AutoInc, 4}, {"B", FieldType::Bcd, 2},    {"Y", FieldType::Bytes, 4},
        {"MO", FieldType::Memo, 11},  {"BL", FieldType::Blob, 10},
    };
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    csv::Reader reader(in);
    std::vector<std::string> record;
    try {
        while (reader.next(record)) {
            for (std::size_t i = 0; i < record.size(); ++i) {
                const FieldDef& f = fields[i % fields.size()];
                try {
                    Value v = csv::parseValue(f, record[i], codec);
                    // What parses must format and parse back to the same value.
                    std::string text = csv::formatValue(f, v, codec);
                    if (!(csv::parseValue(f, text, codec) == v)) __builtin_trap();
                } catch (const Error&) {
                }
            }
        }
    } catch (const Error&) {
    }
    return 0;
}
