#pragma once
// Encoding of field values inside records (the sort-friendly big-endian forms of the format).
#include "engine/types.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace ravelda::engine {

// Decodes a non-blob field (Error Corrupt never: every bit pattern means something).
Value decodeField(const FieldDef& field, const std::uint8_t* p);

// Encodes a non-blob field into storedSize(field) bytes. Error InvalidArgument naming the field
// when the value has the wrong kind or does not fit.
void encodeField(const FieldDef& field, const Value& value, std::uint8_t* out);

// The Number (8-byte double) stored at p, in the format's sign-flipped big-endian form.
double decodeDouble(const std::uint8_t* p);

// Blob tail of a record field: where the value lives.
struct BlobRef {
    std::uint32_t offset = 0; // .MB offset (0: the value is in the leader)
    unsigned index = 0;       // 0xFF: single-blob block; else slot of a sub-allocated block
    std::uint32_t length = 0;
    unsigned mod = 0;
};
BlobRef blobRefOf(const FieldDef& field, const std::uint8_t* p);

// Converts a value given for a field into the kind it stores, for the conversions a caller may
// reasonably expect (an Integer for a Number field, a Double with an integral value for an
// integer field, Text for a Bytes field). Error InvalidArgument when there is none.
Value coerceValue(const FieldDef& field, const Value& value);

} // namespace ravelda::engine
