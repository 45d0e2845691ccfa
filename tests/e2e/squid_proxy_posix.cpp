#include "squid_proxy.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

namespace ql::test {

namespace {

constexpr const char* kSquid = "/usr/sbin/squid";
constexpr const char* kHtpasswd = "/usr/bin/htpasswd";
constexpr const char* kNcsaAuth = "/usr/lib/squid/basic_ncsa_auth";

}  // namespace

bool SquidProxy::Start(const std::string& user, const std::string& password, std::string& why) {
    const std::string dir = m_dir.Path().string();
    // squid started by root runs as its own unprivileged user, which must
    // reach its files.
    chmod(dir.c_str(), 0777);
    const std::string passwords = dir + "/passwd";
    {
        SpawnedProcess htpasswd;
        if (!htpasswd.Start({kHtpasswd, "-bc", passwords, user, password})) {
            why = "htpasswd did not start";
            return false;
        }
        std::string ignored;
        while (htpasswd.ReadLine(ignored, 5000)) {
        }
    }
    chmod(passwords.c_str(), 0644);
    m_port = FreeLoopbackPort();
    const std::string config = dir + "/squid.conf";
    WriteAll(config, "http_port 127.0.0.1:" + std::to_string(m_port) +
                         "\n"
                         "pid_filename " +
                         dir +
                         "/squid.pid\n"
                         "cache_log " +
                         dir +
                         "/cache.log\n"
                         "access_log none\n"
                         "cache deny all\n"
                         "cache_mem 8 MB\n"
                         "pinger_enable off\n"
                         "coredump_dir " +
                         dir +
                         "\n"
                         "shutdown_lifetime 1 seconds\n"
                         "auth_param basic program " +
                         kNcsaAuth + " " + passwords +
                         "\n"
                         "auth_param basic realm proxy\n"
                         "acl authed proxy_auth REQUIRED\n"
                         "http_access deny !authed\n"
                         "http_access allow authed\n"
                         "http_access deny all\n");
    chmod(config.c_str(), 0644);
    if (!m_process.Start({kSquid, "-N", "-f", config})) {
        why = "squid did not start";
        return false;
    }
    for (int i = 0; i < 100; ++i) {
        if (Accepts(m_port)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    why = "squid did not listen on port " + std::to_string(m_port) + ": " +
          ReadAll(m_dir.Path() / "cache.log");
    return false;
}

SquidProxy::~SquidProxy() { m_process.Stop(); }

}  // namespace ql::test
