#include "support/platform/error_text.h"

#include "support/trace/trace.h"

namespace ql {

void TqlApplyStripOptions(WString& text, DWORD stripOptions) {
    if ((stripOptions & kTqlStripOneLine) != 0 && !text.empty() && text.back() == ' ')
        text.pop_back();
    if ((stripOptions & kTqlStripPeriod) != 0 && !text.empty() && text.back() == '.')
        text.pop_back();
}

}  // namespace ql
