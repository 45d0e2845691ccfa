// A real forward proxy for the tests: squid, started unprivileged on a free
// loopback port with its own configuration, demanding Basic proxy
// credentials, tunnelling CONNECT and keeping connections alive.
#pragma once

#include <string>

#include "spawned_process.h"
#include "temp_dir.h"

namespace ql::test {

class SquidProxy {
public:
    // Starts squid with one user; false (with a reason) when it did not come
    // up.
    bool Start(const std::string& user, const std::string& password, std::string& why);
    ~SquidProxy();
    int Port() const { return m_port; }

private:
    TempDir m_dir;
    SpawnedProcess m_process;
    int m_port = -1;
};

}  // namespace ql::test
