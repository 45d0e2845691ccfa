// vault-server: the reference vault server for tests and the demo.
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "server_net.h"

int main(int argc, char** argv) {
    using namespace ql::vault;
    ServerOptions options;
    std::string error;
    if (!ParseServerOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "vault-server: %s\n%s", error.c_str(), kServerUsage);
        return 2;
    }
    FaultPlan plan;
    if (!options.planFile.empty()) {
        std::ifstream file(options.planFile);
        std::stringstream text;
        try {
            if (!file.is_open())
                throw std::invalid_argument("plan: cannot read " + options.planFile);
            text << file.rdbuf();
            plan = FaultPlan::Parse(text.str());
        } catch (const std::invalid_argument& bad) {
            std::fprintf(stderr, "vault-server: %s\n", bad.what());
            return 2;
        }
    }
    // A peer that goes away mid-reply must not end the server.
    std::signal(SIGPIPE, SIG_IGN);
    VaultApp app(options.users, std::move(plan));
    return RunServer(options, app);
}
