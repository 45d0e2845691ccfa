#include "scoped_environment.h"

#include <cstdlib>

namespace ql::test {

void SetEnvironment(const char* name, const char* value) {
    if (value != nullptr)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

}  // namespace ql::test
