#include "support/platform/dynamic_library.h"

namespace ql {

TqlModule CTqlLazyLibrary::Module() noexcept {
    TqlModule module = m_hModule.load(std::memory_order_acquire);
    if (module != nullptr) return module;
    for (const char* name : m_names) {
        if (name == nullptr || *name == '\0') break;
        module = TqlLoadModule(name);
        if (module == nullptr) continue;
        // A thread that lost the race keeps its extra load count: the library
        // stays loaded for the life of the process either way.
        TqlModule expected = nullptr;
        if (!m_hModule.compare_exchange_strong(expected, module, std::memory_order_acq_rel))
            return expected;
        return module;
    }
    return nullptr;
}

}  // namespace ql
