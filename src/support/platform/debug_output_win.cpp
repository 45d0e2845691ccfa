#include "support/platform/debug_output.h"

namespace ql {

void TqlDebugOutput(LPCWSTR line) { OutputDebugStringW(line); }

}  // namespace ql
