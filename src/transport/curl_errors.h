// The libcurl back end speaks the Windows error numbers the resend loop and
// SendRequest act on; this is the one table that maps curl's results onto
// them.
#pragma once

#include "support/base/com_types.h"

namespace ql {

// curlCode is a CURLcode; detail is curl's error buffer (may be empty),
// which tells a certificate's unknown authority from a name mismatch.
//
//   CURLE_OK                                   0
//   CURLE_COULDNT_CONNECT                      12029 cannot connect
//   CURLE_OPERATION_TIMEDOUT                   12002 timed out
//   CURLE_COULDNT_RESOLVE_HOST, _PROXY         12007 name not resolved
//   CURLE_PEER_FAILED_VERIFICATION, name       12038 certificate name invalid
//   CURLE_PEER_FAILED_VERIFICATION, otherwise  12045 unknown authority
//   other TLS failures (handshake, certificate
//   files, ciphers, pinned key)                12175 secure failure
//   CURLE_LOGIN_DENIED                         12015 login failure
//   CURLE_WEIRD_SERVER_REPLY,
//   CURLE_UNSUPPORTED_PROTOCOL                 12152 invalid server response
//   CURLE_OUT_OF_MEMORY                        8     not enough memory
//   anything else (send, receive, partial body,
//   nothing received, aborted)                 12030 connection error
DWORD WindowsErrorOfCurl(int curlCode, const char* detail) noexcept;

}  // namespace ql
