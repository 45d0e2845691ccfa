// Wire constants of the binary body encoding. These numbers travel on the
// wire: never renumber.
#pragma once

#include "serialization/wire_limits.h"
#include "support/base/com_types.h"

namespace ql::wire {

inline constexpr ULONG kTagUniquePointer = 0;
inline constexpr ULONG kTagSizedArray = 1;
inline constexpr ULONG kTagByteRun = 16;
inline constexpr ULONG kTagULong = 17;
inline constexpr ULONG kTagUShort = 18;
inline constexpr ULONG kTagLong = 19;
inline constexpr ULONG kTagShort = 20;
inline constexpr ULONG kTagInt64 = 21;
inline constexpr ULONG kTagUChar = 22;
inline constexpr ULONG kTagInt = 23;  // also every enumeration
inline constexpr ULONG kTagUInt64 = 24;
inline constexpr ULONG kTagDouble = 25;
inline constexpr ULONG kTagChar = 26;
inline constexpr ULONG kTagUInt = 28;
inline constexpr ULONG kTagBstr = 64;
inline constexpr ULONG kTagVariant = 65;
inline constexpr ULONG kTagGuid = 96;
inline constexpr ULONG kTagSystemTime = 97;
inline constexpr ULONG kTagFileTime = 98;
inline constexpr ULONG kTagEvent = 129;

// The stream header at offset 0 of every request and reply body.
inline constexpr ULONG kHeaderSize = 12;
inline constexpr ULONG kProtocolVersion = 0x00060001;
// With this threshold no value carries a tag; every request uses it.
inline constexpr LONG kRequestTagThreshold = 255;

}  // namespace ql::wire
