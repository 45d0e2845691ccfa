#include "vault_app.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "catalogue/families.h"
#include "catalogue/record_codecs.h"
#include "serialization/record_fields.h"
#include "vault_test_util.h"

namespace ql::vault {
namespace {

using ql::test::Bytes;
using ql::test::Image;
using ql::test::Le;
using ql::test::Wire;
using test::CallBody;
using test::kPersist;

HttpRequest Request(std::string body, std::string target = std::string(kVaultTarget),
                    const char* method = "POST") {
    HttpRequest request;
    request.method = method;
    request.target = std::move(target);
    request.body = std::move(body);
    return request;
}

constexpr const char* kNone = "(none)";
constexpr const char* kRealm = "Basic realm=\"vault\"";

// The values of the response's header name, joined by ", "; kNone if it
// has none.
std::string Header(const HttpResponse& response, const char* name) {
    std::string values;
    for (const auto& [key, value] : response.headers) {
        if (EqualsIgnoreCase(key, name)) values += (values.empty() ? "" : ", ") + value;
    }
    return values.empty() ? kNone : values;
}

// The vault's requests and replies carry no type tags.
Wire Untagged() { return Wire(255); }

// A call body: the call header, then args.
std::string Call(const char* object, const IID& iid, const char* method, const Wire& args) {
    std::string body = CallBody(object, iid, method);
    return body.append(args.bytes.begin(), args.bytes.end());
}

// Makes one call of the file-system family on the object-less target (args,
// then no event chain) and checks its reply: S_OK, values, no event chain.
void ExpectFsCall(VaultApp& app, const char* method, Wire args, const Wire& values = Untagged()) {
    SCOPED_TRACE(method);
    std::string reply =
        app.Handle(Request(Call("", kFamilyFileSystem.iid, method, args.Present(false)))).body;
    Bytes expected = ql::test::StreamHeader();
    ql::test::AppendBytes(expected, Untagged().Long(S_OK).Put(values.bytes).Present(false).bytes);
    EXPECT_EQ(ql::test::ToHex(expected), ql::test::ToHex(Bytes(reply.begin(), reply.end())));
}

TEST(VaultAppTest, BacksUpAFileInBlocksThenReadsItBackAndListsIt) {
    VaultApp app({}, FaultPlan());
    constexpr LONGLONG kFile = 1;  // file identifiers count from 1
    // _fileobject (block size, name hash), buildTechnique, volume.
    Wire create = Untagged().RawRecord(138, Image({Le(4096, 4), Le(99, 4)}, 8)).Short(0).Long(5);
    ExpectFsCall(app, "CreatePhysicalFile", create, Untagged().Int64(kFile));

    // Two blocks of revision 1 on volume 5: four bytes each and the
    // four-byte trailer.
    BYTE bytes[2][8] = {{'a', 'b', 'c', '0', 1, 2, 3, 4}, {'a', 'b', 'c', '1', 1, 2, 3, 4}};
    _datablockdescriptor data[2];
    _blockdescriptor blocks[2];
    for (LONG i = 0; i < 2; ++i) {
        data[i] = {0, 10 + i, 20 + i, 4, 0, bytes[i]};
        blocks[i] = {kFile, 1, 5, i, &data[i], nullptr};
    }
    _blockhash hashes[2] = {{10, 20}, {11, 21}};
    Wire sent = Untagged().Put(test::Encoded([&](CBinarySerializer& out) {
        wire::field::WriteArray<wire::Record<_blockdescriptor>>(out, blocks, 2u);
    }));
    Wire listed = Untagged().Put(test::Encoded([&](CBinarySerializer& out) {
        wire::field::WriteArray<wire::Record<_blockhash>>(out, hashes, 2u);
    }));
    ExpectFsCall(app, "WriteFileBlocks", Wire(sent).Short(0));
    ExpectFsCall(app, "CompleteFileTransaction", Untagged().Int64(kFile).Long(5).Long(1));
    // Start, count, volume, file, rev, buildTechnique, the caller's buffer.
    Wire read = Untagged().Long(0).Long(10).Long(5).Int64(kFile).Long(1).Short(0).ArrayHead(0, 0);
    ExpectFsCall(app, "ReadFileBlocks", read, sent);
    ExpectFsCall(app, "ReadBlockHashes61", Untagged().Long(5).Int64(kFile).Short(0), listed);
}

TEST(VaultAppTest, AnswersWhatItCannotServeAndWhatItsControlAsks) {
    VaultApp plain({}, FaultPlan());
    VaultApp guarded({"DOM\\alice:secret"}, FaultPlan());
    auto stats = [&] {
        return nlohmann::json::parse(plain.Handle(Request("", "/control/stats", "GET")).body);
    };
    plain.AddConnection();
    EXPECT_EQ(1, stats()["connections"]);
    std::string ping = CallBody("", kPersist, "Ping");
    // The first Ping under the plan (which counts its own requests) gets 401
    // and two challenges, the others no HVEH.
    const char* plan = R"([{"method": "Ping", "requests": [1], "status": 401,
        "challenge": ["NTLM", "Negotiate"]}, {"method": "Ping", "hveh": null}])";
    struct Case {
        const char* name;
        VaultApp& app;
        HttpRequest request;
        unsigned status;
        const char* hveh;
        const char* challenge = kNone;
        const char* authorization = nullptr;
    };
    const Case cases[] = {
        {"create", plain, Request(Call("", kPersist, "CreateObject", Untagged().Guid({}).Guid({}))),
         200, "200"},
        {"created object", plain, Request(CallBody("obj-1", kPersist, "Ping")), 200, "200"},
        {"destroy", plain, Request(CallBody("obj-1", kPersist, "DestroyObject")), 200, "200"},
        {"unknown object", plain, Request(CallBody("obj-1", kPersist, "Ping")), 200, "65667272"},
        {"unknown method", plain, Request(CallBody("", kPersist, "Nope")), 200, "65863880"},
        {"unknown interface", plain, Request(CallBody("", IID{1, 2, 3, {}}, "Ping")), 200,
         "65863880"},
        {"not a call", plain, Request("garbage"), 400, kNone},
        {"trailing bytes", plain, Request(ping + "x"), 400, kNone},
        {"other target", plain, Request(ping, "/x"), 404, kNone},
        {"unknown control", plain, Request("", "/control/nothing", "GET"), 404, kNone},
        {"control, wrong method", plain, Request("", "/control/reset", "GET"), 405, kNone},
        {"plan", plain, Request(plan, "/control/plan"), 200, kNone},
        {"refused plan, the last one kept", plain, Request("[{}]", "/control/plan"), 400, kNone},
        {"planned status", plain, Request(ping), 401, kNone, "NTLM, Negotiate"},
        {"planned without HVEH", plain, Request(ping), 200, kNone},
        {"reset", plain, Request("", "/control/reset"), 200, kNone},
        {"plan gone", plain, Request(ping), 200, "200"},
        // DOM\alice:secret, the scheme in lower case.
        {"basic", guarded, Request(ping), 200, "200", kNone, "basic RE9NXGFsaWNlOnNlY3JldA=="},
        // DOM\alice:wrong
        {"wrong password", guarded, Request(ping), 401, kNone, kRealm,
         "Basic RE9NXGFsaWNlOndyb25n"},
        {"not Base64", guarded, Request(ping), 401, kNone, kRealm, "Basic !!!!"},
        {"not Basic", guarded, Request(ping), 401, kNone, kRealm, "NTLM TlRMTVNTUAAB"},
    };
    // In order: each request finds what those before it left.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpRequest request = c.request;
        if (c.authorization) request.headers.emplace_back("Authorization", c.authorization);
        HttpResponse response = c.app.Handle(request);
        EXPECT_EQ(c.status, response.status);
        EXPECT_EQ(c.hveh, Header(response, "HVEH"));
        EXPECT_EQ(c.challenge, Header(response, "WWW-Authenticate"));
    }
    // The reset forgot the connection and the requests before it.
    EXPECT_EQ(0, stats()["connections"]);
    EXPECT_EQ(1, stats()["requests"]);
}

TEST(VaultAppTest, PerfTestAnswersTheAskedSizeWithoutBuildingIt) {
    VaultApp app({}, FaultPlan());
    Wire args = Untagged().Bstr(u"data").Int(3 << 20);
    HttpResponse response = app.Handle(Request(Call("", kPersist, "PerfTest", args)));
    EXPECT_EQ(6ull << 20, response.fillBytes);
    // Stream header, S_OK and the string's length; the characters are filled.
    EXPECT_EQ(12u + 4 + 4, response.body.size());
}

}  // namespace
}  // namespace ql::vault
