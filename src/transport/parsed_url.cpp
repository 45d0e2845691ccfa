#include "transport/parsed_url.h"

#include <array>

namespace ql {

namespace {

struct SchemeRow {
    const char* name;
    int number;
    USHORT defaultPort;
};

constexpr std::array<SchemeRow, 8> kSchemes = {{
    {"ftp", kUrlSchemeFtp, 21},
    {"gopher", kUrlSchemeGopher, 70},
    {"http", kUrlSchemeHttp, 80},
    {"https", kUrlSchemeHttps, 443},
    {"file", kUrlSchemeFile, 0},
    {"news", kUrlSchemeNews, 0},
    {"mailto", kUrlSchemeMailto, 0},
    {"socks", kUrlSchemeSocks, 1080},
}};

bool EqualsAsciiNoCase(WStringView text, const char* name) {
    std::size_t i = 0;
    for (; name[i] != 0; ++i) {
        if (i >= text.size()) return false;
        WCHAR c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<WCHAR>(c - 'A' + 'a');
        if (c != static_cast<WCHAR>(name[i])) return false;
    }
    return i == text.size();
}

const SchemeRow* FindScheme(WStringView name) {
    for (const auto& row : kSchemes)
        if (EqualsAsciiNoCase(name, row.name)) return &row;
    return nullptr;
}

bool ParsePort(WStringView text, USHORT* port) {
    if (text.empty()) return false;
    unsigned value = 0;
    for (WCHAR c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 0xFFFF) return false;
    }
    *port = static_cast<USHORT>(value);
    return true;
}

bool Fits(WStringView text, std::size_t limit) { return text.size() <= limit; }

// Splits "user[:password]@host[:port]" into out; false on a limit or a bad
// port.
bool ParseAuthority(WStringView authority, ParsedUrl& out, bool& hasPort) {
    auto at = authority.rfind('@');
    if (at != WStringView::npos) {
        WStringView credentials = authority.substr(0, at);
        authority.remove_prefix(at + 1);
        auto colon = credentials.find(':');
        WStringView user = credentials.substr(0, colon);
        WStringView password =
            colon == WStringView::npos ? WStringView() : credentials.substr(colon + 1);
        if (!Fits(user, kUrlMaxUser) || !Fits(password, kUrlMaxPassword)) return false;
        out.user.assign(user);
        out.password.assign(password);
    }
    auto colon = authority.rfind(':');
    // A colon inside brackets belongs to an IPv6 literal, not to a port.
    auto bracket = authority.rfind(']');
    if (colon != WStringView::npos && (bracket == WStringView::npos || colon > bracket)) {
        WStringView port = authority.substr(colon + 1);
        authority = authority.substr(0, colon);
        if (!port.empty()) {
            if (!ParsePort(port, &out.port)) return false;
            hasPort = true;
        }
    }
    if (!Fits(authority, kUrlMaxHost)) return false;
    out.host.assign(authority);
    return true;
}

bool Parse(WStringView url, ParsedUrl& out) {
    auto colon = url.find(':');
    if (colon == WStringView::npos || colon == 0) return false;
    WStringView scheme = url.substr(0, colon);
    if (!Fits(scheme, kUrlMaxScheme)) return false;
    out.scheme.assign(scheme);
    const SchemeRow* row = FindScheme(scheme);
    out.schemeNumber = row != nullptr ? row->number : kUrlSchemeUnknown;
    out.port = row != nullptr ? row->defaultPort : 0;
    WStringView rest = url.substr(colon + 1);

    // The extra information runs from the first '?' or '#' to the end.
    auto query = rest.find_first_of(OLESTR("?#"));
    WStringView extra = query == WStringView::npos ? WStringView() : rest.substr(query);
    rest = rest.substr(0, query);
    if (!Fits(extra, kUrlMaxExtra)) return false;
    out.extra.assign(extra);

    bool hasPort = false;
    if (rest.size() >= 2 && rest[0] == '/' && rest[1] == '/') {
        rest.remove_prefix(2);
        auto slash = rest.find('/');
        if (!ParseAuthority(rest.substr(0, slash), out, hasPort)) return false;
        rest = slash == WStringView::npos ? WStringView() : rest.substr(slash);
    }
    if (!Fits(rest, kUrlMaxPath)) return false;
    out.path.assign(rest);
    return true;
}

}  // namespace

bool ParseUrl(WStringView url, ParsedUrl* out) {
    ParsedUrl parsed;
    parsed.scheme.clear();
    parsed.schemeNumber = kUrlSchemeUnknown;
    parsed.port = 0;
    if (!Parse(url, parsed)) {
        *out = ParsedUrl();
        return false;
    }
    *out = std::move(parsed);
    return true;
}

}  // namespace ql
