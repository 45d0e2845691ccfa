// An owner for a handle that must be closed exactly once. Traits names the
// handle type, the value that owns nothing, which values own something and
// how to close one:
//
//   struct TqlWinHttpTraits {
//       using Handle = HINTERNET;
//       static constexpr Handle kEmpty = nullptr;
//       static bool Owns(Handle handle) noexcept { return handle != nullptr; }
//       static void Close(Handle handle) noexcept { _WinHttpCloseHandle(handle); }
//   };
//   using CTqlWinHttpHandle = CTqlUniqueHandle<TqlWinHttpTraits>;
//
// Traits::Close must not throw and should keep the thread's last error, so
// that an owner going out of scope on an error path does not change the code
// its caller is about to read.
#pragma once

#include <utility>

namespace ql {

template <typename Traits>
class CTqlUniqueHandle {
public:
    using Handle = typename Traits::Handle;

    CTqlUniqueHandle() noexcept = default;
    explicit CTqlUniqueHandle(Handle owned) noexcept : m_handle(owned) {}
    CTqlUniqueHandle(const CTqlUniqueHandle&) = delete;
    CTqlUniqueHandle& operator=(const CTqlUniqueHandle&) = delete;
    CTqlUniqueHandle(CTqlUniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    CTqlUniqueHandle& operator=(CTqlUniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ~CTqlUniqueHandle() { Reset(); }

    Handle Get() const noexcept { return m_handle; }
    bool IsValid() const noexcept { return Traits::Owns(m_handle); }
    explicit operator bool() const noexcept { return IsValid(); }

    // Closes what is owned and returns the slot for an out-argument.
    Handle* Put() noexcept {
        Reset();
        return &m_handle;
    }
    // Gives up ownership without closing.
    Handle Release() noexcept { return std::exchange(m_handle, Traits::kEmpty); }
    // Closes what is owned and takes owned instead; passing the handle already
    // owned keeps it.
    void Reset(Handle owned = Traits::kEmpty) noexcept {
        if (owned == m_handle) return;
        Handle previous = std::exchange(m_handle, owned);
        if (Traits::Owns(previous)) Traits::Close(previous);
    }

private:
    Handle m_handle = Traits::kEmpty;
};

}  // namespace ql
