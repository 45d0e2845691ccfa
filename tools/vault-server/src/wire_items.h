// One value of a method's wire sequence (a catalogue WireItem), written as
// its well-formed empty value or read and thrown away. The server answers
// every method it does not implement with the empty values of what the
// reply carries, and checks every request by reading all it carries.
#pragma once

#include "catalogue/method_tables.h"
#include "serialization/binary_deserializer.h"
#include "serialization/binary_serializer.h"

namespace ql::vault {

// Scalars 0, strings null, records all zero (through the record codecs),
// unique pointers and event chains absent, arrays of zero elements.
void WriteZeroItem(CBinarySerializer& out, const catalog::WireItem& item);

// Reads one item and frees whatever reading it allocated. Throws
// ATL::CAtlException as the reader does, E_INVALIDARG for a wire type the
// server does not know.
void SkipItem(CBinaryDeserializer& in, const catalog::WireItem& item);

// An event chain sent as a unique pointer, read and freed.
void SkipEvent(CBinaryDeserializer& in);

// The wire size and tag of a scalar wire type ("long", "__int64"), or
// false when the name is not a scalar.
bool ScalarWire(const char* wire, ULONG& tag, ULONG& size) noexcept;

}  // namespace ql::vault
