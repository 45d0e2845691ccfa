// Sets (or, with null, removes) an environment variable of this process for
// the life of the object, then restores what was there.
#pragma once

#include <optional>
#include <string>

namespace ql::test {

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// Sets or removes a variable; the platform's own call.
void SetEnvironment(const char* name, const char* value);

}  // namespace ql::test
