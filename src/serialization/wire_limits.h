// The reader's limits: every received count, length and size is checked
// against these before anything is allocated or copied. Each says why it
// has its value.
#pragma once

#include <cstddef>

#include "support/base/com_types.h"

namespace ql::wire {

// Counts of 2^31 or more are refused, received or sent: they cannot be
// honest element counts for a 32-bit client and turn negative in the signed
// comparisons peers make (a negative LONG count would otherwise make the
// writer walk billions of elements past the caller's array).
inline constexpr ULONG kMaxCount = 0x7FFFFFFF;

// A buffer whose byte size does not fit in 32 bits cannot exist in the
// 32-bit client the protocol was made for.
inline constexpr unsigned long long kMaxBufferBytes = 0xFFFFFFFFull;

// An event chain has at most this many nodes, in either direction.
inline constexpr int kMaxEventNodes = 32;

// An event node has this many parameter string slots.
inline constexpr USHORT kEventParamSlots = 9;

// Every element of an array that is not a raw block takes at least this
// many bytes on the wire, so a reply whose length is known cannot announce
// more elements than it has bytes left.
inline constexpr ULONG kMinElementWireBytes = 1;

// The part of a received array's capacity beyond its length carries no data
// and is only zeroed memory. Peers send capacity = length; this much slack
// is tolerated, more is refused: otherwise a reply of a few bytes could
// make the reader allocate gigabytes.
inline constexpr std::size_t kMaxUnfilledArrayBytes = 1u << 20;

// When the reply's length is not known (a chunked reply), a string, byte
// block or array announced larger than this is not allocated at once: its
// memory grows in steps of this size as the data actually arrives, so a
// lying size costs at most one step more than the bytes really received.
inline constexpr std::size_t kReadStepBytes = 1u << 20;

}  // namespace ql::wire
