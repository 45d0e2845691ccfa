#include "transport/curl_errors.h"

#include <curl/curl.h>

#include <cstring>

#include "support/base/win32_errors.h"

namespace ql {

DWORD WindowsErrorOfCurl(int curlCode, const char* detail) noexcept {
    switch (static_cast<CURLcode>(curlCode)) {
        case CURLE_OK:
            return 0;
        case CURLE_COULDNT_CONNECT:
            return kTqlErrorWinHttpCannotConnect;
        case CURLE_OPERATION_TIMEDOUT:
            return kTqlErrorWinHttpTimeout;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return kTqlErrorWinHttpNameNotResolved;
        case CURLE_PEER_FAILED_VERIFICATION:
            // curl reports both certificate faults with one code; its text
            // names the host name check.
            if (detail != nullptr && (std::strstr(detail, "subject name") != nullptr ||
                                      std::strstr(detail, "host name") != nullptr ||
                                      std::strstr(detail, "hostname") != nullptr))
                return kTqlErrorWinHttpSecureCertCnInvalid;
            return kTqlErrorWinHttpSecureInvalidCa;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_ENGINE_NOTFOUND:
        case CURLE_SSL_ENGINE_SETFAILED:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_SHUTDOWN_FAILED:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_USE_SSL_FAILED:
            return kTqlErrorWinHttpSecureFailure;
        case CURLE_LOGIN_DENIED:
            return kTqlErrorWinHttpLoginFailure;
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_UNSUPPORTED_PROTOCOL:
            return kTqlErrorWinHttpInvalidServerResponse;
        case CURLE_OUT_OF_MEMORY:
            return kTqlErrorNotEnoughMemory;
        default:
            return kTqlErrorWinHttpConnectionError;
    }
}

}  // namespace ql
