// A real forward proxy for the tests: squid, started unprivileged on a free
// loopback port with its own configuration, demanding Basic proxy
// credentials, tunnelling CONNECT and keeping connections alive.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>

#include "spawned_process_posix.h"
#include "temp_dir.h"

namespace ql::test {

class SquidProxy {
public:
    // Starts squid with one user; false (with a reason) when it did not come
    // up.
    bool Start(const std::string& user, const std::string& password, std::string& why) {
        const std::string dir = m_dir.Path().string();
        // squid started by root runs as its own unprivileged user, which must
        // reach its files.
        chmod(dir.c_str(), 0777);
        const std::string passwords = dir + "/passwd";
        if (!SpawnedProcess().Run({"/usr/bin/htpasswd", "-bc", passwords, user, password}, 5000)) {
            why = "htpasswd could not write the password file";
            return false;
        }
        chmod(passwords.c_str(), 0644);
        m_port = FreeLoopbackPort();
        const std::string config = dir + "/squid.conf";
        std::string text = "http_port 127.0.0.1:" + std::to_string(m_port) + "\n";
        for (std::string line :
             {"pid_filename @/squid.pid", "cache_log @/cache.log", "access_log none",
              "cache deny all", "cache_mem 8 MB", "pinger_enable off", "coredump_dir @",
              "shutdown_lifetime 1 seconds",
              "auth_param basic program /usr/lib/squid/basic_ncsa_auth @/passwd",
              "auth_param basic realm proxy", "acl authed proxy_auth REQUIRED",
              "http_access deny !authed", "http_access allow authed", "http_access deny all"}) {
            auto at = line.find('@');
            text += (at == line.npos ? line : line.replace(at, 1, dir)) + "\n";
        }
        WriteAll(config, text);
        chmod(config.c_str(), 0644);
        if (!m_process.Start({"/usr/sbin/squid", "-N", "-f", config})) {
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
    int Port() const { return m_port; }

private:
    TempDir m_dir;  // outlives the process, which is stopped first
    SpawnedProcess m_process;
    int m_port = -1;
};

}  // namespace ql::test
