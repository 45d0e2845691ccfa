// Everything the server does with one HTTP request, without sockets:
// control requests, recording, the fault plan, Basic authentication and
// the vault itself. The network side calls Handle and acts the response out.
#pragma once

#include <string>
#include <vector>

#include "control.h"
#include "fault_plan.h"
#include "http_exchange.h"
#include "recorder.h"
#include "vault_service.h"

namespace ql::vault {

inline constexpr std::string_view kVaultTarget = "/ZelNQVault/NqHttpVault.dll?Handler=HttpVault";

class VaultApp {
public:
    // users: "domain\user:password" texts; when any is given, requests need
    // Basic credentials that decode to one of them.
    VaultApp(std::vector<std::string> users, FaultPlan plan);

    HttpResponse Handle(const HttpRequest& request);
    // Numbers a new connection (from 1) and counts it.
    std::uint64_t AddConnection() { return m_recorder.AddConnection(); }

private:
    bool Authorized(const HttpRequest& request) const;
    HttpResponse Vault(const HttpRequest& request);

    std::vector<std::string> m_users;
    Recorder m_recorder;
    SharedFaultPlan m_plan;
    VaultService m_service;
};

}  // namespace ql::vault
