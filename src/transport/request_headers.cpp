#include "transport/request_headers.h"

#include <vector>

namespace ql {

std::string Base64Encode(const void* data, std::size_t bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const auto* in = static_cast<const unsigned char*>(data);
    std::string out;
    out.reserve((bytes + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes; i += 3) {
        unsigned group = (in[i] << 16) | (in[i + 1] << 8) | in[i + 2];
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += kAlphabet[(group >> 6) & 63];
        out += kAlphabet[group & 63];
    }
    if (i < bytes) {
        unsigned group = in[i] << 16;
        if (i + 1 < bytes) group |= in[i + 1] << 8;
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += i + 1 < bytes ? kAlphabet[(group >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

WString BuildRequestHeaders(LPCWSTR methodName, WStringView callerName) {
    WString block = OLESTR("Content-Type: HttpVault\r\n");
    block += OLESTR("HVVH: ");
    block += WidenAscii(std::to_string(kRequestProtocolHeaderVersion));
    block += OLESTR("\r\n");
    if (methodName != nullptr) {
        block += OLESTR("IntfMethodName: ");
        block += methodName;
        block += OLESTR("\r\n");
    }
    if (!callerName.empty()) {
        // The name travels as UTF-16LE with its terminator, whatever the
        // platform's byte order.
        std::vector<unsigned char> utf16;
        utf16.reserve((callerName.size() + 1) * 2);
        for (WCHAR c : callerName) {
            utf16.push_back(static_cast<unsigned char>(c & 0xFF));
            utf16.push_back(static_cast<unsigned char>(c >> 8));
        }
        utf16.push_back(0);
        utf16.push_back(0);
        block += OLESTR("IntfUserName: ");
        block += WidenAscii(Base64Encode(utf16.data(), utf16.size()));
        block += OLESTR("\r\n");
    }
    return block;
}

}  // namespace ql
