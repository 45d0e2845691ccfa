#include "vault_server.h"

#include <curl/curl.h>

#include <cstdio>
#include <stdexcept>

namespace ql::test {

namespace {

size_t Collect(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

}  // namespace

bool VaultServer::Start(const Options& options, std::string& why) {
    std::vector<std::string> argv = {QL_VAULT_SERVER};
    if (options.https) {
        const std::string key = (m_dir.Path() / "key.pem").string();
        const std::string certificate = (m_dir.Path() / "cert.pem").string();
        if (!SpawnedProcess().Run(
                {"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                 key, "-out", certificate, "-days", "2", "-subj", "/CN=localhost", "-addext",
                 "subjectAltName=DNS:localhost"},
                20000)) {
            why = "openssl could not make the certificate";
            return false;
        }
        argv.insert(argv.end(), {"--cert", certificate, "--key", key});
    }
    for (const auto& user : options.users) argv.insert(argv.end(), {"--user", user});
    if (!m_process.Start(argv)) {
        why = "vault-server did not start";
        return false;
    }
    std::string line;
    if (!m_process.ReadLine(line, 20000) ||
        std::sscanf(line.c_str(), "listening http=%d https=%d", &m_httpPort, &m_httpsPort) != 2) {
        why = "vault-server printed no ports: '" + line + "'";
        return false;
    }
    return true;
}

std::string VaultServer::Control(const std::string& path, const char* body) {
    const std::string url = "http://127.0.0.1:" + std::to_string(m_httpPort) + path;
    std::string reply;
    long status = 0;
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_TIMEOUT, 20L);
    if (body != nullptr) curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &reply);
    if (curl_easy_perform(easy) == CURLE_OK)
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(easy);
    if (status != 200)
        throw std::runtime_error("control " + path + " answered " + std::to_string(status));
    return reply;
}

nlohmann::json VaultServer::Requests() {
    return nlohmann::json::parse(Control("/control/requests"));
}
void VaultServer::SetPlan(const nlohmann::json& plan) {
    Control("/control/plan", plan.dump().c_str());
}
void VaultServer::Reset() { Control("/control/reset", ""); }

}  // namespace ql::test
