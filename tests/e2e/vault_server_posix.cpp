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

long Exchange(const std::string& method, const std::string& url, const std::string& body,
              std::string* reply) {
    CURL* easy = curl_easy_init();
    if (easy == nullptr) return 0;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
    if (method == "POST") {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    }
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, reply);
    long status = 0;
    if (curl_easy_perform(easy) == CURLE_OK)
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(easy);
    return status;
}

}  // namespace

bool VaultServer::Start(const Options& options, std::string& why) {
    std::vector<std::string> argv = {QL_VAULT_SERVER};
    if (options.https) {
        const std::string key = (m_dir.Path() / "key.pem").string();
        const std::string certificate = (m_dir.Path() / "cert.pem").string();
        SpawnedProcess openssl;
        if (!openssl.Start({"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                            "-keyout", key, "-out", certificate, "-days", "2", "-subj",
                            "/CN=" + options.certificateHost, "-addext",
                            "subjectAltName=DNS:" + options.certificateHost})) {
            why = "openssl did not start";
            return false;
        }
        std::string ignored;
        while (openssl.ReadLine(ignored, 20000)) {
        }
        openssl.Stop();
        argv.insert(argv.end(), {"--cert", certificate, "--key", key});
    }
    for (const auto& user : options.users) argv.insert(argv.end(), {"--user", user});
    if (!options.plan.is_null()) {
        const std::string plan = (m_dir.Path() / "plan.json").string();
        WriteAll(plan, options.plan.dump());
        argv.insert(argv.end(), {"--plan", plan});
    }
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

std::string VaultServer::Control(const std::string& method, const std::string& path,
                                 const std::string& body) {
    std::string reply;
    long status =
        Exchange(method, "http://127.0.0.1:" + std::to_string(m_httpPort) + path, body, &reply);
    if (status != 200)
        throw std::runtime_error("control " + path + " answered " + std::to_string(status));
    return reply;
}

nlohmann::json VaultServer::Requests() {
    return nlohmann::json::parse(Control("GET", "/control/requests"));
}
nlohmann::json VaultServer::Stats() {
    return nlohmann::json::parse(Control("GET", "/control/stats"));
}
void VaultServer::SetPlan(const nlohmann::json& plan) {
    Control("POST", "/control/plan", plan.dump());
}
void VaultServer::Reset() { Control("POST", "/control/reset"); }

long RawPost(const std::string& url, const std::string& body, std::string* reply) {
    return Exchange("POST", url, body, reply);
}

}  // namespace ql::test
