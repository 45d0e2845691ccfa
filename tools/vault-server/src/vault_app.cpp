#include "vault_app.h"

#include <algorithm>
#include <span>

namespace ql::vault {
namespace {

std::span<const unsigned char> Bytes(const std::string& body) {
    return {reinterpret_cast<const unsigned char*>(body.data()), body.size()};
}

HttpResponse Plain(unsigned status, const char* text) {
    HttpResponse response;
    response.status = status;
    response.SetHeader("Content-Type", "text/plain");
    response.body = text;
    return response;
}

}  // namespace

VaultApp::VaultApp(std::vector<std::string> users, FaultPlan plan) : m_users(std::move(users)) {
    m_plan.Replace(std::move(plan));
}

bool VaultApp::Authorized(const HttpRequest& request) const {
    if (m_users.empty()) return true;
    const std::string* header = request.Header("Authorization");
    if (header == nullptr) return false;
    std::string_view value = *header;
    constexpr std::string_view kBasic = "Basic ";
    if (value.size() < kBasic.size() || !EqualsIgnoreCase(value.substr(0, kBasic.size()), kBasic)) {
        return false;
    }
    std::string decoded;
    if (!Base64Decode(value.substr(kBasic.size()), decoded)) return false;
    return std::find(m_users.begin(), m_users.end(), decoded) != m_users.end();
}

HttpResponse VaultApp::Vault(const HttpRequest& request) {
    VaultReply reply = m_service.Handle(Bytes(request.body));
    HttpResponse response;
    response.status = reply.httpStatus;
    if (reply.httpStatus == 400) return Plain(400, "the body is not a vault call\n");
    response.SetHeader("Content-Type", "HttpVault");
    if (!reply.hveh.empty()) response.SetHeader("HVEH", reply.hveh);
    response.body = std::move(reply.body);
    response.fillBytes = reply.fillBytes;
    response.tail = std::move(reply.tail);
    return response;
}

HttpResponse VaultApp::Handle(const HttpRequest& request) {
    if (IsControlTarget(request.target)) return HandleControl(request, m_recorder, m_plan);
    m_recorder.Record(request);

    std::string method = VaultService::MethodOf(Bytes(request.body));
    if (method.empty()) {
        const std::string* header = request.Header("IntfMethodName");
        if (header != nullptr) method = *header;
    }
    std::optional<FaultAction> fault = m_plan.Next(method);

    HttpResponse response;
    if (fault && fault->status) {
        response.status = *fault->status;
        for (const std::string& challenge : fault->challenge) {
            response.headers.emplace_back("WWW-Authenticate", challenge);
        }
    } else if (!Authorized(request)) {
        response = Plain(401, "authentication required\n");
        response.SetHeader("WWW-Authenticate", "Basic realm=\"vault\"");
    } else if (request.target != kVaultTarget) {
        response = Plain(404, "no such handler\n");
    } else if (request.method != "POST") {
        response = Plain(405, "POST only\n");
    } else {
        response = Vault(request);
    }
    if (fault) {
        if (fault->replaceHveh) {
            response.RemoveHeader("HVEH");
            if (!fault->hveh.empty()) response.SetHeader("HVEH", fault->hveh);
        }
        if (fault->body) {
            response.body = *fault->body;
            response.fillBytes = 0;
            response.tail.clear();
        }
        response.fault = fault->transport;
        if (fault->transport.shortBody || fault->transport.resetMidBody ||
            fault->transport.closeBeforeStatus) {
            response.close = true;
        }
    }
    return response;
}

}  // namespace ql::vault
