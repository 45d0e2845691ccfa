#include "scoped_environment.h"

#include <cstdlib>

namespace ql::test {

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    SetEnvironment(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
    SetEnvironment(m_name.c_str(), m_old ? m_old->c_str() : nullptr);
}

}  // namespace ql::test
