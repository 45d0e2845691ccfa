// The status callback type shared by the two Windows HTTP stacks' wrappers
// (winhttp_api.h, wininet_api.h).
#pragma once

#include "support/base/com_types.h"

#ifdef _WIN32
namespace ql {

// The callback type of WinHTTP and WinINet (WINHTTP_STATUS_CALLBACK and
// INTERNET_STATUS_CALLBACK have this one shape).
using TqlInternetStatusCallback = void(CALLBACK*)(LPVOID handle, DWORD_PTR context, DWORD status,
                                                  LPVOID info, DWORD infoLength);

}  // namespace ql
#endif
