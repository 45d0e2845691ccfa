// The reference vault server as the end-to-end tests use it: started on
// loopback ports of its own choosing, driven and inspected through its
// control endpoint, stopped by its process id.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "spawned_process_posix.h"
#include "temp_dir.h"

namespace ql::test {

class VaultServer {
public:
    struct Options {
        bool https = false;              // with a self-signed certificate made out to localhost
        std::vector<std::string> users;  // "domain\\user:password"
    };

    // false (with a reason) when it did not come up.
    bool Start(const Options& options, std::string& why);

    int HttpPort() const { return m_httpPort; }
    int HttpsPort() const { return m_httpsPort; }
    // The self-signed certificate (PEM) of the HTTPS port.
    std::string CertificatePath() const { return (m_dir.Path() / "cert.pem").string(); }

    // The control endpoint.
    nlohmann::json Requests();
    void SetPlan(const nlohmann::json& plan);
    void Reset();

private:
    // A GET of path, or with a body a POST of it; the reply's body.
    std::string Control(const std::string& path, const char* body = nullptr);

    TempDir m_dir;  // outlives the process, which is stopped first
    SpawnedProcess m_process;
    int m_httpPort = 0;
    int m_httpsPort = 0;
};

}  // namespace ql::test
