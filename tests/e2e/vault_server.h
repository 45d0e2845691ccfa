// The reference vault server as the end-to-end tests use it: started on
// loopback ports of its own choosing, driven and inspected through its
// control endpoint, stopped by its process id.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "spawned_process.h"
#include "temp_dir.h"

namespace ql::test {

class VaultServer {
public:
    struct Options {
        bool https = false;  // with a self-signed certificate
        std::string certificateHost = "localhost";
        std::vector<std::string> users;  // "domain\\user:password"
        nlohmann::json plan = nullptr;   // fault plan at start
    };

    // false (with a reason) when it did not come up.
    bool Start(const Options& options, std::string& why);
    ~VaultServer() { m_process.Stop(); }

    int HttpPort() const { return m_httpPort; }
    int HttpsPort() const { return m_httpsPort; }
    // The self-signed certificate (PEM) of the HTTPS port.
    std::string CertificatePath() const { return (m_dir.Path() / "cert.pem").string(); }

    // The control endpoint.
    nlohmann::json Requests();
    nlohmann::json Stats();
    void SetPlan(const nlohmann::json& plan);
    void Reset();

private:
    std::string Control(const std::string& method, const std::string& path,
                        const std::string& body = {});

    TempDir m_dir;
    SpawnedProcess m_process;
    int m_httpPort = 0;
    int m_httpsPort = 0;
};

// A plain POST on a kept connection with libcurl, as a client that is not
// this library would send it; returns the HTTP status (0 on failure).
long RawPost(const std::string& url, const std::string& body, std::string* reply);

}  // namespace ql::test
