// A service URL split into its parts, with the component limits and the
// scheme table of the system's URL parser. Nothing is unescaped.
#pragma once

#include "support/base/com_types.h"
#include "support/base/wide_string.h"

namespace ql {

// Scheme numbers; only http and https matter to the transport.
inline constexpr int kUrlSchemeUnknown = -1;
inline constexpr int kUrlSchemeFtp = 0;
inline constexpr int kUrlSchemeGopher = 1;
inline constexpr int kUrlSchemeHttp = 2;
inline constexpr int kUrlSchemeHttps = 3;
inline constexpr int kUrlSchemeFile = 4;
inline constexpr int kUrlSchemeNews = 5;
inline constexpr int kUrlSchemeMailto = 6;
inline constexpr int kUrlSchemeSocks = 7;

// Longest accepted component, in characters; a longer one fails the parse.
inline constexpr std::size_t kUrlMaxScheme = 32;
inline constexpr std::size_t kUrlMaxHost = 256;
inline constexpr std::size_t kUrlMaxUser = 128;
inline constexpr std::size_t kUrlMaxPassword = 128;
inline constexpr std::size_t kUrlMaxPath = 2048;
inline constexpr std::size_t kUrlMaxExtra = 2048;

struct ParsedUrl {
    WString scheme = OLESTR("http");
    int schemeNumber = kUrlSchemeHttp;
    WString host;
    WString user;
    WString password;
    WString path;
    // The part from the first '?' or '#' on.
    WString extra;
    USHORT port = 80;

    bool IsSecure() const noexcept { return schemeNumber == kUrlSchemeHttps; }
};

// Parses url ("scheme:[//[user[:password]@]host[:port]][/path][?extra]").
// Returns false, and leaves *out as a default ParsedUrl, when the text has no
// scheme, a component is longer than its limit or the port is not a number
// from 0 to 65535. Without a port the scheme's default is used (0 for
// schemes without one).
bool ParseUrl(WStringView url, ParsedUrl* out);

}  // namespace ql
