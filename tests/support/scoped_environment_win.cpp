#include "scoped_environment.h"

#include <cstdlib>

namespace ql::test {

// An empty value removes the variable.
void SetEnvironment(const char* name, const char* value) {
    _putenv_s(name, value != nullptr ? value : "");
}

}  // namespace ql::test
