// One measured call of the network load test: a PerfTest request carrying
// data, answered with a string of replySize characters. Runs on a transport
// the calling worker holds alone, so it takes no lock.
#pragma once

#include "support/base/com_types.h"
#include "transport/abs_http_bin_transport.h"

namespace ql {

// The reply replaces *reply (the string there is freed first). Returns the
// server's result, or the failure of the exchange; never throws.
HRESULT PerfTest(CAbsHttpBinTransport& transport, BSTR data, INT replySize, BSTR* reply);

}  // namespace ql
