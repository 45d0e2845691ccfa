// The system error numbers as constants of the library: ql::kTqlError<Name>
// for every row of win32_error_list.h, with the same values on every
// platform. (The system headers' own names, ERROR_..., exist on Windows and,
// from the same table, on POSIX.)
#pragma once

#include "support/base/com_types.h"

namespace ql {

#define QL_WIN32_ERROR(name, symbol, number, text) inline constexpr DWORD kTqlError##name = number;
#define QL_COM_ERROR(symbol, value, text)
#include "support/base/win32_error_list.h"
#undef QL_COM_ERROR
#undef QL_WIN32_ERROR

}  // namespace ql
