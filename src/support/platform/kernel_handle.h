// The owner of a Windows kernel handle (events, mutexes, semaphores,
// mappings, threads, files): closed once with CloseHandle, keeping the
// thread's last error. Windows only; elsewhere the library's objects are
// owned by their own types.
#pragma once

#include "support/base/com_types.h"
#include "support/base/unique_handle.h"

#ifdef _WIN32
namespace ql {

struct TqlKernelHandleTraits {
    using Handle = HANDLE;
    static constexpr Handle kEmpty = nullptr;
    static bool Owns(Handle handle) noexcept { return handle != nullptr; }
    // CloseHandle, with the thread's last error kept.
    static void Close(Handle handle) noexcept;
};

using CTqlKernelHandle = CTqlUniqueHandle<TqlKernelHandleTraits>;

}  // namespace ql
#endif
