#include "support/platform/debug_output.h"

#include <unistd.h>

#include <string>

#include "support/base/wide_string.h"

namespace ql {

// There is no debugger output channel here; standard error takes its place.
void TqlDebugOutput(LPCWSTR line) {
    std::string text = ToUtf8(WStringView(line));
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace ql
