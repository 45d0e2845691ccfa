#include "system_facts.h"

#include <unistd.h>

#include <cstring>

#include "support/security/token_impersonator.h"

namespace ql::test {

// The host name up to its first dot.
std::string SystemComputerName() {
    char host[300] = {};
    gethostname(host, sizeof host - 1);
    if (char* dot = std::strchr(host, '.')) *dot = 0;
    return host;
}

std::size_t OpenHandleCount() { return TqlPosixOpenTokenCount(); }

}  // namespace ql::test
