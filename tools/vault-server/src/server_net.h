// The network side of vault-server (Boost.Beast over Asio, OpenSSL).
#pragma once

#include "server_options.h"
#include "vault_app.h"

namespace ql::vault {

// Serves app on 127.0.0.1 over HTTP, and HTTPS when a certificate is
// given, until SIGTERM or SIGINT. Prints "listening http=<port>
// https=<port>" on stdout once both listen. Returns the exit code.
int RunServer(const ServerOptions& options, VaultApp& app);

}  // namespace ql::vault
