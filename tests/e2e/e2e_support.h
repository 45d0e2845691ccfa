// What the end-to-end suites share: a repository object on the libcurl back
// end pointed at a server, and readers of what the server recorded.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "repository/soap_repository.h"
#include "scripted_back_end.h"
#include "support/base/unique_bstr.h"
#include "transport/curl_bin_transport.h"
#include "vault_server.h"

namespace ql::test {

// A repository object whose transport is the real libcurl back end. The
// busy-server waits go to a recording clock.
class Client {
public:
    Client();
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Initialize for HTTP(S) with an optional proxy and its credentials.
    void Initialize(const std::string& server, int port, bool secure = false,
                    const std::string& proxy = {}, int proxyPort = 0,
                    const std::string& proxyUser = {}, const std::string& proxyPassword = {});
    // CreateInterface with explicit credentials (none: automatic logon).
    HRESULT Create(const std::u16string& user = {}, const std::u16string& password = {});
    HRESULT Ping();
    CSoapRepository& Repository() { return *m_repository; }
    CCurlBinTransport& Transport() { return *m_transport; }
    const std::vector<DWORD>& Waits() const { return m_clock.waits; }

private:
    CRecordingClock m_clock;
    CSoapRepository* m_repository = nullptr;
    CCurlBinTransport* m_transport = nullptr;
};

// The header value of one recorded request, or "" when it has none.
std::string Header(const nlohmann::json& request, const std::string& name);
Bytes Body(const nlohmann::json& request);

// Starts a server or fails the test.
#define QL_START(server, options)                           \
    do {                                                    \
        std::string why;                                    \
        ASSERT_TRUE((server).Start((options), why)) << why; \
    } while (false)

}  // namespace ql::test
