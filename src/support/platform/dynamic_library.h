// Run-time binding of system functions. A lazily bound entry names its
// library (through a CTqlLazyLibrary shared by every entry of that library),
// its function and the value it returns while the function cannot be found;
// it loads the library and looks the function up on first use and tries
// again at every call until both are found, so that the module starts even
// where optional system libraries are missing.
//
// The thread's last error (_GetLastError in system_wrappers.h) is the
// loader's: an entry that cannot bind returns its failure value without
// touching it, so it then holds the error of the failed load (126, module not
// found) or look-up (127, procedure not found). On POSIX the loader is
// dlopen/dlsym and sets those same two codes.
//
// Concurrency: no lock. The caches are atomics; two threads binding one entry
// at once both load the library and store the same address, which raises the
// library's load count twice and is otherwise harmless.
#pragma once

#include <atomic>
#include <cstddef>
#include <span>
#include <type_traits>
#include <utility>

#include "support/base/com_types.h"
#include "support/base/win32_errors.h"

namespace ql {

// A loaded library: HMODULE on Windows, a dlopen handle elsewhere.
#ifdef _WIN32
using TqlModule = HMODULE;
#else
using TqlModule = void*;
#endif

// Loads a library by its narrow name (LoadLibraryA on Windows, dlopen with
// immediate binding and local symbols elsewhere). Returns null and sets the
// last error when it cannot be loaded. Each success raises the library's load
// count; TqlFreeModule lowers it.
TqlModule TqlLoadModule(const char* name) noexcept;
// The address of an exported function, or null with the last error set.
void* TqlFindProcedure(TqlModule module, const char* name) noexcept;
// Lowers the load count; a null module is ignored.
void TqlFreeModule(TqlModule module) noexcept;

// Owns one load count of a library and frees it on destruction.
class CTqlUniqueModule {
public:
    CTqlUniqueModule() noexcept = default;
    explicit CTqlUniqueModule(TqlModule module) noexcept : m_hModule(module) {}
    ~CTqlUniqueModule() { TqlFreeModule(m_hModule); }
    CTqlUniqueModule(CTqlUniqueModule&& other) noexcept : m_hModule(other.Release()) {}
    CTqlUniqueModule& operator=(CTqlUniqueModule&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    CTqlUniqueModule(const CTqlUniqueModule&) = delete;
    CTqlUniqueModule& operator=(const CTqlUniqueModule&) = delete;

    TqlModule Get() const noexcept { return m_hModule; }
    explicit operator bool() const noexcept { return m_hModule != nullptr; }
    TqlModule Release() noexcept { return std::exchange(m_hModule, nullptr); }
    void Reset(TqlModule module = nullptr) noexcept {
        TqlFreeModule(std::exchange(m_hModule, module));
    }

private:
    TqlModule m_hModule = nullptr;
};

// One library as the lazily bound entries see it: the names to try, in order,
// and the module of the first one that loaded. The module is held until the
// process ends and never freed: entries may be called from other static
// destructors, and a library with running callbacks must not go away.
class CTqlLazyLibrary {
public:
    // names must outlive the object (the tables are static arrays).
    constexpr explicit CTqlLazyLibrary(std::span<const char* const> names) noexcept
        : m_names(names) {}
    CTqlLazyLibrary(const CTqlLazyLibrary&) = delete;
    CTqlLazyLibrary& operator=(const CTqlLazyLibrary&) = delete;

    // The cached module; when there is none yet, loads the names in order
    // until one loads and caches it. Null when none loads, with the last
    // error of the last attempt.
    TqlModule Module() noexcept;
    // The cached module without trying to load one.
    TqlModule LoadedModule() const noexcept { return m_hModule.load(std::memory_order_acquire); }

private:
    std::span<const char* const> m_names;
    std::atomic<TqlModule> m_hModule{nullptr};
};

// A lazily bound function. FnPtr is the function's pointer type as the
// system declares it (calling convention included, e.g.
// decltype(&::WinHttpOpen)); FailureValue is what a call returns while the
// function cannot be bound (for pointer results it must be 0).
template <typename FnPtr, auto FailureValue = 0>
class CTqlLazyFunction {
    static_assert(std::is_pointer_v<FnPtr> && std::is_function_v<std::remove_pointer_t<FnPtr>>,
                  "FnPtr must be a function pointer type");

public:
    // name must outlive the object (a string literal).
    constexpr CTqlLazyFunction(CTqlLazyLibrary& library, const char* name) noexcept
        : m_library(library), m_name(name) {}
    CTqlLazyFunction(const CTqlLazyFunction&) = delete;
    CTqlLazyFunction& operator=(const CTqlLazyFunction&) = delete;

    // Calls the function, binding it first when needed; returns the failure
    // value, leaving the loader's last error, when it cannot be bound.
    template <typename... Args>
    std::invoke_result_t<FnPtr, Args&&...> operator()(Args&&... args) const {
        using Result = std::invoke_result_t<FnPtr, Args&&...>;
        FnPtr function = Bind();
        if (function == nullptr) return Failure<Result>();
        return function(std::forward<Args>(args)...);
    }

    // The function's address, binding it when it is not cached yet; null
    // (with the loader's last error) when it cannot be bound.
    FnPtr Bind() const noexcept {
        FnPtr function = m_pfn.load(std::memory_order_acquire);
        if (function != nullptr) return function;
        TqlModule module = m_library.Module();
        if (module == nullptr) return nullptr;
        function = reinterpret_cast<FnPtr>(TqlFindProcedure(module, m_name));
        if (function != nullptr) m_pfn.store(function, std::memory_order_release);
        return function;
    }

    bool IsBound() const noexcept { return m_pfn.load(std::memory_order_acquire) != nullptr; }

private:
    template <typename Result>
    static Result Failure() noexcept {
        if constexpr (std::is_void_v<Result>) {
            return;
        } else if constexpr (std::is_pointer_v<Result>) {
            static_assert(FailureValue == 0, "a pointer result fails with null");
            return nullptr;
        } else {
            return static_cast<Result>(FailureValue);
        }
    }

    CTqlLazyLibrary& m_library;
    const char* m_name;
    mutable std::atomic<FnPtr> m_pfn{nullptr};
};

}  // namespace ql
