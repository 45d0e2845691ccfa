// One HTTP exchange as the protocol side sees it: the request the network
// side parsed, and the response with any transport fault to act out. The
// response head is formatted here; the network side only moves bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ql::vault {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
    std::string method;  // "POST"
    std::string target;  // "/ZelNQVault/NqHttpVault.dll?Handler=HttpVault"
    unsigned version = 11;
    HeaderList headers;  // in arrival order
    std::string body;
    std::uint64_t connection = 0;  // numbered per server from 1

    // The first header of that name (case-insensitive), or null.
    const std::string* Header(std::string_view name) const;
    std::string RequestLine() const;
};

// How the network side misbehaves while answering.
struct TransportFault {
    unsigned delayMs = 0;            // wait before the status line
    bool closeBeforeStatus = false;  // close without answering
    bool shortBody = false;          // full Content-Length, half the body, close
    bool resetMidBody = false;       // half the body, then RST (SO_LINGER 0)
    std::size_t dripChunkBytes = 0;  // > 0: chunked, this many bytes a chunk
    unsigned dripIntervalMs = 0;     // between drip chunks
};

struct HttpResponse {
    unsigned status = 200;
    HeaderList headers;  // Content-Length / Transfer-Encoding are added when sent
    // The body is body, fillBytes bytes of the UTF-16LE 'x' pattern, then tail.
    std::string body;
    std::uint64_t fillBytes = 0;
    std::string tail;
    bool close = false;  // close the connection after this response
    TransportFault fault;

    std::uint64_t BodyLength() const noexcept { return body.size() + fillBytes + tail.size(); }
    void SetHeader(std::string name, std::string value);
    void RemoveHeader(std::string_view name);
};

// Walks a response body (body, fill, tail) in pieces without building it.
class BodyCursor {
public:
    explicit BodyCursor(const HttpResponse& response) noexcept : m_response(response) {}
    // The next at most max bytes (max > 0); empty once the body is done.
    std::string_view Next(std::size_t max) noexcept;
    std::uint64_t Remaining() const noexcept { return m_response.BodyLength() - m_offset; }

private:
    const HttpResponse& m_response;
    std::uint64_t m_offset = 0;
};

std::string_view ReasonPhrase(unsigned status) noexcept;

// Status line and headers up to the blank line, with Content-Length, or
// Transfer-Encoding: chunked when the response drips.
std::string FormatResponseHead(const HttpResponse& response, bool keepAlive);

bool EqualsIgnoreCase(std::string_view a, std::string_view b) noexcept;

std::string Base64Encode(std::string_view bytes);
// False on characters outside the standard alphabet or bad padding.
bool Base64Decode(std::string_view text, std::string& bytes);

}  // namespace ql::vault
