// A check that a range of memory can be touched, used to validate handles
// before they are dereferenced.
#pragma once

#include "support/base/com_types.h"

namespace ql {

// Masks over the Windows page protections (PAGE_READONLY 0x02 ...
// PAGE_EXECUTE_WRITECOPY 0x80).
inline constexpr DWORD kTqlReadableProtections = 0xEE;
inline constexpr DWORD kTqlWritableProtections = 0xCC;

// True when [pointer, pointer + size) lies in one region of committed memory
// whose protection shares a bit with protectionMask (guard pages never do).
// A null pointer is not valid. Every other refusal is traced at level 4 on
// the runtime component. Never touches the memory itself.
bool TqlIsValidPtr(const void* pointer, SIZE_T size, DWORD protectionMask);

}  // namespace ql
