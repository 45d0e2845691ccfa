// Formatting of trace messages on every platform: printf style with the
// Windows wide-character conventions, and the message-formatter insert style
// ("%1", "%2!d!", "%1!X!") with the custom insert types.
#pragma once

#include <cstdarg>

#include "support/base/wide_string.h"
#include "support/platform/error_text.h"  // TqlApplyStripOptions
#include "support/trace/trace.h"

namespace ql {

// printf style: "%s" is a wide string, "%S" a narrow one, "l" is 32 bits,
// "I64" and "ll" are 64 bits.
WString TqlFormatPrintf(LPCWSTR format, va_list args);

// Insert style. Each insert takes one argument; the custom types are
//   Z     error code        -> its text (TqlGetErrorText with the strip options)
//   R     pointer to a SID  -> "S-1-..."
//   GU    pointer to a GUID -> "{XXXXXXXX-...}"
//   GI    pointer to an IID -> the interface's name, else the GUID; "<NULL>"
//   B     32-bit value      -> 32 binary digits
//   I64B  pointer to 64-bit -> 64 binary digits
//   I64X, I64x, I64d, I64i, I64o, I64u: pointer to a 64-bit integer
// Other types are printf conversions of the argument itself. Returns 0 and
// the text in out, or an error code (87 for a null template).
DWORD TqlFormatInserts(LPCWSTR templateText, DWORD stripOptions, va_list args, WString& out);

// Formats an insert-style text with no strip options.
WString TqlFormatMessageToString(LPCWSTR format, ...);

}  // namespace ql
