// A process-wide table of named objects, for the platforms without named
// kernel objects (POSIX): equal names give one shared object for as long as
// anyone holds a reference to it. Each kind of object that has a name space
// of its own keeps its own registry; objects of several types can share one
// name space through a common polymorphic Base.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <type_traits>

#include "support/base/com_types.h"
#include "support/base/wide_string.h"
#include "support/base/win32_errors.h"

namespace ql {

template <class Base>
class CTqlNamedObjectRegistry {
public:
    CTqlNamedObjectRegistry() = default;
    CTqlNamedObjectRegistry(const CTqlNamedObjectRegistry&) = delete;
    CTqlNamedObjectRegistry& operator=(const CTqlNamedObjectRegistry&) = delete;

    // Opens the live object registered as `name`, or makes one with `make`
    // (DWORD make(std::shared_ptr<T>&): 0 or an error, which is returned) and
    // registers it; a null name always makes a new, unregistered object.
    // *existed (may be null) tells whether an object was opened. A name held
    // by an object of another type gives 6 (invalid handle), as on Windows.
    // Names are compared exactly. Exceptions of make or of memory pass on.
    template <class T, class Make>
    DWORD OpenOrMake(LPCWSTR name, Make make, std::shared_ptr<T>& out, bool* existed = nullptr) {
        static_assert(std::is_base_of_v<Base, T>);
        if (existed != nullptr) *existed = false;
        if (name == nullptr) return make(out);
        std::lock_guard<std::mutex> lock(m_guard);
        WString key(name);
        auto found = m_objects.find(key);
        if (found != m_objects.end()) {
            if (std::shared_ptr<Base> object = found->second.lock()) {
                if constexpr (std::is_same_v<Base, T>)
                    out = std::move(object);
                else
                    out = std::dynamic_pointer_cast<T>(object);
                if (out == nullptr) return kTqlErrorInvalidHandle;
                if (existed != nullptr) *existed = true;
                return 0;
            }
        }
        DWORD made = make(out);
        if (made != 0) return made;
        std::erase_if(m_objects, [](const auto& entry) { return entry.second.expired(); });
        m_objects[key] = out;
        return 0;
    }

private:
    std::mutex m_guard;
    std::map<WString, std::weak_ptr<Base>> m_objects;
};

}  // namespace ql
