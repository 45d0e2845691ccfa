// What the end-to-end suites share: a repository object on the libcurl back
// end pointed at a server, and readers of what the server recorded.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "repository/soap_repository.h"
#include "scripted_back_end.h"
#include "support/base/unique_bstr.h"
#include "support/base/wide_string.h"
#include "transport/curl_bin_transport.h"
#include "vault_server.h"

namespace ql::test {

// A repository object whose transport is the real libcurl back end. The
// busy-server waits go to a recording clock.
class Client {
public:
    Client() {
        auto transport = std::make_unique<CCurlBinTransport>(SharedMemMgr());
        m_transport = transport.get();
        m_transport->SetClock(&m_clock);
        m_repository = CSoapRepository::Create(std::move(transport), OLESTR("libcurl"), nullptr);
    }
    ~Client() { m_repository->Release(); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Initialize for HTTP(S) with an optional proxy and its credentials.
    void Initialize(const std::string& server, int port, bool secure = false,
                    const std::string& proxy = {}, int proxyPort = 0,
                    const std::string& proxyUser = {}, const std::string& proxyPassword = {}) {
        CUniqueBstr text[4] = {Text(server), Text(proxy), Text(proxyUser), Text(proxyPassword)};
        ASSERT_EQ(S_OK, m_repository->Initialize(3, text[0].Get(), secure ? 1 : 0,
                                                 static_cast<USHORT>(port), text[1].Get(),
                                                 static_cast<USHORT>(proxyPort), text[2].Get(),
                                                 text[3].Get()));
    }
    // CreateInterface with explicit credentials.
    HRESULT Create(std::u16string user, std::u16string password) {
        COAUTHIDENTITY identity{};
        identity.User = reinterpret_cast<USHORT*>(user.data());
        identity.Password = reinterpret_cast<USHORT*>(password.data());
        identity.Flags = 2;
        COAUTHINFO info{};
        info.pAuthIdentityData = &identity;
        COSERVERINFO server{};
        server.pAuthInfo = &info;
        GUID clsid = {0x11111111, 0x2222, 0x3333, {4, 4, 5, 5, 6, 6, 7, 7}};
        GUID iid = IID_IQuillon;
        IUnknown* created = nullptr;
        HRESULT result = m_repository->CreateInterface(&clsid, &iid, &server, &created);
        if (created != nullptr) created->Release();
        return result;
    }
    HRESULT Ping() {
        ULONG status = 0xFFFFFFFF;
        return m_repository->Ping(&status);
    }
    CSoapRepository& Repository() { return *m_repository; }
    CCurlBinTransport& Transport() { return *m_transport; }
    const std::vector<DWORD>& Waits() const { return m_clock.waits; }

private:
    // Null for empty text.
    static CUniqueBstr Text(const std::string& text) {
        return CUniqueBstr(text.empty() ? nullptr : SysAllocString(FromUtf8(text).c_str()));
    }

    CRecordingClock m_clock;
    CSoapRepository* m_repository = nullptr;
    CCurlBinTransport* m_transport = nullptr;
};

// The header value of one recorded request, or "" when it has none.
inline std::string Header(const nlohmann::json& request, const std::string& name) {
    auto lower = [](unsigned char c) { return std::tolower(c); };
    for (const auto& pair : request.at("headers")) {
        const std::string key = pair.at(0).get<std::string>();
        if (std::equal(key.begin(), key.end(), name.begin(), name.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }))
            return pair.at(1).get<std::string>();
    }
    return {};
}

// Starts a server or fails the test.
#define QL_START(server, options)                           \
    do {                                                    \
        std::string why;                                    \
        ASSERT_TRUE((server).Start((options), why)) << why; \
    } while (false)

}  // namespace ql::test
