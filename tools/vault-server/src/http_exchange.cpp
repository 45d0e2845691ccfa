#include "http_exchange.h"

#include <algorithm>
#include <cctype>

namespace ql::vault {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

const std::string* HttpRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualsIgnoreCase(key, name)) return &value;
    }
    return nullptr;
}

std::string HttpRequest::RequestLine() const {
    return method + " " + target + " HTTP/" + std::to_string(version / 10) + "." +
           std::to_string(version % 10);
}

void HttpResponse::SetHeader(std::string name, std::string value) {
    RemoveHeader(name);
    headers.emplace_back(std::move(name), std::move(value));
}

void HttpResponse::RemoveHeader(std::string_view name) {
    std::erase_if(headers,
                  [&](const auto& header) { return EqualsIgnoreCase(header.first, name); });
}

std::string_view ReasonPhrase(unsigned status) noexcept {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 407:
            return "Proxy Authentication Required";
        case 500:
            return "Internal Server Error";
        case 502:
            return "Bad Gateway";
        case 503:
            return "Service Unavailable";
        case 504:
            return "Gateway Timeout";
        default:
            return "Status";
    }
}

std::string FormatResponseHead(const HttpResponse& response, bool keepAlive) {
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " ";
    head += ReasonPhrase(response.status);
    head += "\r\n";
    for (const auto& [name, value] : response.headers) head += name + ": " + value + "\r\n";
    if (response.fault.dripChunkBytes != 0) {
        head += "Transfer-Encoding: chunked\r\n";
    } else {
        head += "Content-Length: " + std::to_string(response.BodyLength()) + "\r\n";
    }
    if (!keepAlive) head += "Connection: close\r\n";
    head += "\r\n";
    return head;
}

namespace {

// The fill pattern: 'x' as UTF-16LE, an even number of bytes.
constexpr std::size_t kPatternBytes = 64 * 1024;
const char* Pattern() noexcept {
    static const std::string pattern = [] {
        std::string text(kPatternBytes, '\0');
        for (std::size_t i = 0; i < text.size(); i += 2) text[i] = 'x';
        return text;
    }();
    return pattern.data();
}

}  // namespace

std::string_view BodyCursor::Next(std::size_t max) noexcept {
    const HttpResponse& r = m_response;
    std::uint64_t fillEnd = r.body.size() + r.fillBytes;
    std::string_view piece;
    if (m_offset < r.body.size()) {
        piece = std::string_view(r.body).substr(static_cast<std::size_t>(m_offset), max);
    } else if (m_offset < fillEnd) {
        std::uint64_t into = m_offset - r.body.size();
        std::uint64_t left = std::min<std::uint64_t>(fillEnd - m_offset, max);
        // Keep pieces aligned to the pattern so each starts with 'x'.
        std::size_t at = static_cast<std::size_t>(into % kPatternBytes);
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kPatternBytes - at));
        piece = std::string_view(Pattern() + at, n);
    } else if (m_offset < r.BodyLength()) {
        piece = std::string_view(r.tail).substr(static_cast<std::size_t>(m_offset - fillEnd), max);
    }
    m_offset += piece.size();
    return piece;
}

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
}

std::string Base64Encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                     (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                     static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    std::size_t rest = bytes.size() - i;
    if (rest != 0) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

bool Base64Decode(std::string_view text, std::string& bytes) {
    bytes.clear();
    if (text.size() % 4 != 0) return false;
    unsigned value = 0;
    int bits = 0;
    std::size_t padding = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '=') {
            // Only at the end, at most two.
            if (i + 2 < text.size() || ++padding > 2) return false;
            continue;
        }
        if (padding != 0) return false;
        const char* at = std::find(kAlphabet, kAlphabet + 64, c);
        if (at == kAlphabet + 64) return false;
        value = (value << 6) | static_cast<unsigned>(at - kAlphabet);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return true;
}

}  // namespace ql::vault
