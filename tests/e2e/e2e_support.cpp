#include "e2e_support.h"

#include "support/base/wide_string.h"

namespace ql::test {

namespace {

CUniqueBstr Text(const std::string& text) {
    if (text.empty()) return CUniqueBstr();
    return CUniqueBstr(SysAllocString(FromUtf8(text).c_str()));
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

Client::Client() {
    auto transport = std::make_unique<CCurlBinTransport>(SharedMemMgr());
    m_transport = transport.get();
    m_transport->SetClock(&m_clock);
    m_repository = CSoapRepository::Create(std::move(transport), OLESTR("libcurl"), nullptr);
}

Client::~Client() { m_repository->Release(); }

void Client::Initialize(const std::string& server, int port, bool secure, const std::string& proxy,
                        int proxyPort, const std::string& proxyUser,
                        const std::string& proxyPassword) {
    CUniqueBstr serverText = Text(server);
    CUniqueBstr proxyText = Text(proxy);
    CUniqueBstr user = Text(proxyUser);
    CUniqueBstr password = Text(proxyPassword);
    ASSERT_EQ(S_OK,
              m_repository->Initialize(3, serverText.Get(), secure ? 1 : 0,
                                       static_cast<USHORT>(port), proxyText.Get(),
                                       static_cast<USHORT>(proxyPort), user.Get(), password.Get()));
}

HRESULT Client::Create(const std::u16string& user, const std::u16string& password) {
    std::u16string userText = user;
    std::u16string passwordText = password;
    COAUTHIDENTITY identity{};
    identity.User = reinterpret_cast<USHORT*>(userText.data());
    identity.Password = reinterpret_cast<USHORT*>(passwordText.data());
    identity.Flags = 2;
    COAUTHINFO info{};
    info.pAuthIdentityData = &identity;
    COSERVERINFO server{};
    server.pAuthInfo = &info;
    GUID clsid = {0x11111111, 0x2222, 0x3333, {4, 4, 5, 5, 6, 6, 7, 7}};
    GUID iid = IID_IQuillon;
    IUnknown* created = nullptr;
    HRESULT result =
        m_repository->CreateInterface(&clsid, &iid, user.empty() ? nullptr : &server, &created);
    if (created != nullptr) created->Release();
    return result;
}

HRESULT Client::Ping() {
    ULONG status = 0xFFFFFFFF;
    return m_repository->Ping(&status);
}

std::string Header(const nlohmann::json& request, const std::string& name) {
    for (const auto& pair : request.at("headers")) {
        const std::string key = pair.at(0).get<std::string>();
        if (key.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < key.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(key[i])) ==
                   std::tolower(static_cast<unsigned char>(name[i]));
        if (same) return pair.at(1).get<std::string>();
    }
    return {};
}

Bytes Body(const nlohmann::json& request) {
    const std::string text = request.at("body_base64").get<std::string>();
    Bytes out;
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        int value = Base64Value(c);
        if (value < 0) continue;
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<BYTE>((bits >> count) & 0xFF));
        }
    }
    return out;
}

}  // namespace ql::test
