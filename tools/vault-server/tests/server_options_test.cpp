#include "server_options.h"

#include <gtest/gtest.h>

namespace ql::vault {
namespace {

TEST(ServerOptionsTest, ReadsEveryOption) {
    ServerOptions options;
    std::string error;
    ASSERT_TRUE(
        ParseServerOptions({"--http-port", "8080", "--https-port", "0", "--user", "D\\u:p",
                            "--user", "D\\\\v:q:r", "--plan", "plan.json", "--threads", "4"},
                           options, error))
        << error;
    EXPECT_EQ(8080, options.httpPort);
    EXPECT_EQ(0, options.httpsPort);
    // A doubled backslash before the password is one; the password is kept.
    EXPECT_EQ((std::vector<std::string>{"D\\u:p", "D\\v:q:r"}), options.users);
    EXPECT_EQ("plan.json", options.planFile);
    EXPECT_EQ(4u, options.threads);
}

TEST(ServerOptionsTest, RefusesMistakes) {
    const std::vector<std::vector<std::string>> cases = {
        {"--http-port"},    {"--http-port", "65536"},  {"--https-port", "12x"},
        {"--threads", "0"}, {"--threads", "65"},       {"--cert", "c.pem"},
        {"--key", "k.pem"}, {"--user", "no-password"}, {"--colour", "red"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : ""));
        ServerOptions options;
        std::string error;
        EXPECT_FALSE(ParseServerOptions(args, options, error));
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace ql::vault
