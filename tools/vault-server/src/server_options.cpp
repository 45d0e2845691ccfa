#include "server_options.h"

#include <charconv>

namespace ql::vault {
namespace {

bool Number(const std::string& text, unsigned long max, unsigned long& value) {
    const char* end = text.data() + text.size();
    auto [at, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && at == end && value <= max;
}

}  // namespace

bool ParseServerOptions(const std::vector<std::string>& args, ServerOptions& options,
                        std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (i + 1 >= args.size()) {
            error = name + ": unknown option or missing value";
            return false;
        }
        const std::string& value = args[++i];
        unsigned long number = 0;
        if (name == "--http-port" || name == "--https-port") {
            if (!Number(value, 65535, number)) {
                error = name + ": not a port: " + value;
                return false;
            }
            (name == "--http-port" ? options.httpPort : options.httpsPort) =
                static_cast<unsigned short>(number);
        } else if (name == "--threads") {
            if (!Number(value, 64, number) || number == 0) {
                error = "--threads: 1 to 64, not " + value;
                return false;
            }
            options.threads = static_cast<unsigned>(number);
        } else if (name == "--cert") {
            options.certFile = value;
        } else if (name == "--key") {
            options.keyFile = value;
        } else if (name == "--plan") {
            options.planFile = value;
        } else if (name == "--user") {
            std::size_t colon = value.find(':');
            if (colon == std::string::npos) {
                error = "--user: expected domain\\user:password";
                return false;
            }
            // 'domain\\user' as the usage line spells it, quoted in a shell,
            // keeps both backslashes; the name has one.
            std::string user = value;
            std::size_t twice = user.find("\\\\");
            if (twice != std::string::npos && twice < colon) user.erase(twice, 1);
            options.users.push_back(user);
        } else {
            error = "unknown option " + name;
            return false;
        }
    }
    if (options.certFile.empty() != options.keyFile.empty()) {
        error = "--cert and --key go together";
        return false;
    }
    return true;
}

}  // namespace ql::vault
