#include "transport/http_transport_factory.h"

#include "transport/curl_bin_transport.h"

namespace ql {

HttpTransportChoice CreateHttpTransport(ATL::IAtlMemMgr* memMgr) {
    return HttpTransportChoice{std::make_unique<CCurlBinTransport>(memMgr), OLESTR("libcurl")};
}

}  // namespace ql
