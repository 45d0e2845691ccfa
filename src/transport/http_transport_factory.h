// The HTTP transport a repository object owns on this platform.
#pragma once

#include <memory>

#include "transport/abs_http_bin_transport.h"

namespace ql {

struct HttpTransportChoice {
    std::unique_ptr<CAbsHttpBinTransport> transport;
    LPCWSTR apiName;  // the HTTP library behind it, for traces
};

// Throws std::bad_alloc.
HttpTransportChoice CreateHttpTransport(ATL::IAtlMemMgr* memMgr);

}  // namespace ql
