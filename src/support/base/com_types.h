// The COM and Win32 types the whole library is written against. On Windows
// they are the system's own; elsewhere a small layout-compatible subset.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>
#else
#include "support/base/comrt_posix.h"
#endif

#include <bit>

static_assert(std::endian::native == std::endian::little,
              "the wire encoding copies values in host byte order");
static_assert(sizeof(LONG) == 4 && sizeof(ULONG) == 4 && sizeof(DWORD) == 4,
              "32-bit wire integers must be 32-bit in memory");
static_assert(sizeof(WCHAR) == 2 && sizeof(OLECHAR) == 2, "text is UTF-16");
static_assert(sizeof(GUID) == 16 && sizeof(SYSTEMTIME) == 16 && sizeof(FILETIME) == 8);

namespace ql {

// A wait without a time-out (the system's INFINITE).
inline constexpr DWORD kTqlInfinite = 0xFFFFFFFFu;

}  // namespace ql
