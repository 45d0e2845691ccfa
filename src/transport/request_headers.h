// The request headers of the protocol, as the one header block handed to the
// HTTP library.
#pragma once

#include <string>

#include "support/base/com_types.h"
#include "support/base/wide_string.h"

namespace ql {

// The protocol version announced in "HVVH".
inline constexpr int kRequestProtocolHeaderVersion = 2;

// Standard Base64 (padding, no line breaks).
std::string Base64Encode(const void* data, std::size_t bytes);

// The header block, each line ending in CR LF:
//   Content-Type: HttpVault
//   HVVH: 2
//   IntfMethodName: <methodName>          when methodName is set
//   IntfUserName: <Base64 of callerName>  when callerName is non-empty; the
//       name's UTF-16LE bytes with their two-byte terminator
// Throws std::bad_alloc.
WString BuildRequestHeaders(LPCWSTR methodName, WStringView callerName);

}  // namespace ql
