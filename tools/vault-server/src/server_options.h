// The command line of vault-server.
#pragma once

#include <string>
#include <vector>

namespace ql::vault {

struct ServerOptions {
    unsigned short httpPort = 0;     // 0: any free port
    unsigned short httpsPort = 0;    // 0: any free port (HTTPS only with a certificate)
    std::string certFile;            // PEM
    std::string keyFile;             // PEM
    std::vector<std::string> users;  // "domain\user:password"
    std::string planFile;
    unsigned threads = 2;
};

// Parses argv (without the program name). On a mistake returns false and
// sets error to a line for the user.
bool ParseServerOptions(const std::vector<std::string>& args, ServerOptions& options,
                        std::string& error);

inline constexpr const char* kServerUsage =
    "usage: vault-server [--http-port N] [--https-port N] [--cert FILE --key FILE]\n"
    "                    [--user 'domain\\\\user:password']... [--plan FILE] [--threads N]\n";

}  // namespace ql::vault
