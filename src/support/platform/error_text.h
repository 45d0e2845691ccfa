// The texts of error codes. TqlGetErrorText and TqlAddMessageModule are
// declared with the tracing interface (support/trace/trace.h), which every
// layer may include; error_text_win.cpp / error_text_posix.cpp implement
// them (on POSIX from the table of support/base/win32_error_list.h).
#pragma once

#include "support/base/com_types.h"
#include "support/base/wide_string.h"

namespace ql {

// Applies the strip options (kTqlStripOneLine, kTqlStripPeriod of trace.h)
// to a finished text.
void TqlApplyStripOptions(WString& text, DWORD stripOptions);

}  // namespace ql
