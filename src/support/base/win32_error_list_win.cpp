// Checks the numbers of win32_error_list.h against the system headers.
// clang-format off
#include <windows.h>
#include <winhttp.h>
// clang-format on

#define QL_WIN32_ERROR(name, symbol, number, text) \
    static_assert((symbol) == (number), #symbol " is not " #number);
#define QL_COM_ERROR(symbol, value, text) \
    static_assert(static_cast<unsigned long>(symbol) == (value), #symbol " is not " #value);
#include "support/base/win32_error_list.h"
#undef QL_COM_ERROR
#undef QL_WIN32_ERROR
