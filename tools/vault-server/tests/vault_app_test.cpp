#include "vault_app.h"

#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>

#include "bytes.h"
#include "call_reader.h"
#include "catalogue/record_codecs.h"
#include "serialization/record_fields.h"
#include "vault_test_util.h"

namespace ql::vault {
namespace {

using test::CallBody;
using test::kPersist;

const IID& FileSystemInterface() {
    for (const catalog::FamilyEntry& family : catalog::Families()) {
        if (catalog::FindMethod(family, "CreatePhysicalFile") != nullptr) {
            return family.sentInterface;
        }
    }
    throw std::logic_error("no file-system family");
}

HttpRequest Post(std::string body, std::string target = std::string(kVaultTarget)) {
    HttpRequest request;
    request.method = "POST";
    request.target = std::move(target);
    request.headers = {{"Content-Type", "HttpVault"}, {"HVVH", "2"}};
    request.body = std::move(body);
    return request;
}

HttpRequest Get(std::string target) {
    HttpRequest request;
    request.method = "GET";
    request.target = std::move(target);
    return request;
}

const std::string* Header(const HttpResponse& response, const char* name) {
    for (const auto& [key, value] : response.headers) {
        if (EqualsIgnoreCase(key, name)) return &value;
    }
    return nullptr;
}

std::string CreateObject(VaultApp& app) {
    HttpResponse response =
        app.Handle(Post(CallBody("", kPersist, "CreateObject", [](CBinarySerializer& out) {
            out.WriteGuid(GUID{});
            out.WriteGuid(GUID{});
        })));
    test::ReplyReader reader(response.body);
    std::string id = ReadUtf8String(reader.In());
    EXPECT_TRUE(reader.AtEnd());
    return id;
}

// One call of the file-system family on object, without an event chain:
// the reply body.
std::string FsCall(VaultApp& app, const std::string& object, const char* method,
                   const std::function<void(CBinarySerializer&)>& args) {
    auto withoutEvent = [&](CBinarySerializer& out) {
        args(out);
        out.WritePresentFlag(false);
    };
    return app.Handle(Post(CallBody(object, FileSystemInterface(), method, withoutEvent))).body;
}

// One block of the backed-up file, as the client describes it.
struct BlockData {
    _datablockdescriptor data;
    BYTE bytes[8];
};

TEST(VaultAppTest, BacksUpAFileInBlocksThenReadsItBackAndListsIt) {
    VaultApp app({}, FaultPlan());
    std::string object = CreateObject(app);
    EXPECT_EQ("obj-1", object);

    // CreatePhysicalFile: _fileobject, buildTechnique, volume.
    test::ReplyReader createdReply(
        FsCall(app, object, "CreatePhysicalFile", [](CBinarySerializer& out) {
            out.WriteTag(138);
            LONG raw[2] = {4096, 99};
            out.WriteRaw(raw, sizeof raw);
            out.WriteShort(0);
            out.WriteLong(5);
        }));
    ASSERT_EQ(S_OK, createdReply.Result());
    LONGLONG fileId = 0;
    wire::Int64::Read(createdReply.In(), fileId);

    // WriteFileBlocks: two blocks of four bytes (and the four-byte trailer).
    BlockData blocks[2];
    _blockdescriptor descriptors[2];
    for (LONG i = 0; i < 2; ++i) {
        blocks[i].data = {0, 10 + i, 20 + i, 4, 0, blocks[i].bytes};
        BYTE bytes[8] = {'a', 'b', 'c', static_cast<BYTE>('0' + i), 1, 2, 3, 4};
        std::memcpy(blocks[i].bytes, bytes, sizeof bytes);
        descriptors[i] = {fileId, 0, 5, i, &blocks[i].data, nullptr};
    }
    test::ReplyReader written(FsCall(app, object, "WriteFileBlocks", [&](CBinarySerializer& out) {
        wire::field::WriteArray<wire::Record<_blockdescriptor>>(out, descriptors, 2u);
        out.WriteShort(0);
    }));
    EXPECT_EQ(S_OK, written.Result());

    test::ReplyReader completed(
        FsCall(app, object, "CompleteFileTransaction", [&](CBinarySerializer& out) {
            wire::Int64::Write(out, fileId);
            out.WriteLong(5);
            out.WriteLong(1);
        }));
    EXPECT_EQ(S_OK, completed.Result());

    test::ReplyReader readReply(FsCall(app, object, "ReadFileBlocks", [&](CBinarySerializer& out) {
        out.WriteLong(0);
        out.WriteLong(10);
        out.WriteLong(5);
        wire::Int64::Write(out, fileId);
        out.WriteLong(1);
        out.WriteShort(0);
        out.WriteArrayHead(0, 0);
    }));
    ASSERT_EQ(S_OK, readReply.Result());
    _blockdescriptor* got = nullptr;
    ULONG count = 0;
    wire::field::ReadArray<wire::Record<_blockdescriptor>>(readReply.In(), got, count);
    EXPECT_FALSE(readReply.In().ReadPresentFlag());
    EXPECT_TRUE(readReply.AtEnd());
    ASSERT_EQ(2u, count);
    for (ULONG i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(fileId, ql::test::V(got[i].physicalFileID));
        EXPECT_EQ(static_cast<LONG>(i), ql::test::V(got[i].blockNumber));
        _datablockdescriptor* data = got[i].pDataBlock;
        ASSERT_NE(nullptr, data);
        EXPECT_EQ(4u, ql::test::V(data->dataSize));
        EXPECT_EQ(0, std::memcmp(blocks[i].bytes, data->pBlockData, 8));
    }
    wire::field::ReleaseArray<wire::Record<_blockdescriptor>>(got, count, SharedMemMgr());

    test::ReplyReader listReply(
        FsCall(app, object, "ReadBlockHashes61", [&](CBinarySerializer& out) {
            out.WriteLong(5);
            wire::Int64::Write(out, fileId);
            out.WriteShort(0);
        }));
    ASSERT_EQ(S_OK, listReply.Result());
    _blockhash* hashes = nullptr;
    ULONG hashCount = 0;
    wire::field::ReadArray<wire::Record<_blockhash>>(listReply.In(), hashes, hashCount);
    ASSERT_EQ(2u, hashCount);
    EXPECT_EQ(11, ql::test::V(hashes[1].lowBlockHash));
    EXPECT_EQ(21, ql::test::V(hashes[1].highBlockHash));
    wire::field::ReleaseArray<wire::Record<_blockhash>>(hashes, hashCount, SharedMemMgr());
}

HttpRequest Ping(const char* authorization) {
    HttpRequest request = Post(CallBody("", kPersist, "Ping"));
    request.headers.emplace_back("Authorization", authorization);
    return request;
}

TEST(VaultAppTest, AnswersStatusesForWhatItCannotServe) {
    VaultApp plain({}, FaultPlan());
    VaultApp guarded({"DOM\\alice:secret"}, FaultPlan());
    struct Case {
        const char* name;
        VaultApp& app;
        HttpRequest request;
        unsigned status;
        const char* hveh;  // null: no header
    };
    const Case cases[] = {
        {"unknown object", plain, Post(CallBody("obj-9", kPersist, "Ping")), 200, "65667272"},
        {"unknown method", plain, Post(CallBody("", kPersist, "Nope")), 200, "65863880"},
        {"unknown interface", plain, Post(CallBody("", IID{1, 2, 3, {}}, "Ping")), 200, "65863880"},
        {"not a call", plain, Post("garbage"), 400, nullptr},
        {"trailing bytes", plain, Post(CallBody("", kPersist, "Ping") + "x"), 400, nullptr},
        {"other target", plain, Post(CallBody("", kPersist, "Ping"), "/x"), 404, nullptr},
        // DOM\alice:secret, the scheme in lower case.
        {"basic", guarded, Ping("basic RE9NXGFsaWNlOnNlY3JldA=="), 200, "200"},
        {"not Base64", guarded, Ping("Basic !!!!"), 401, nullptr},
        {"not Basic", guarded, Ping("NTLM TlRMTVNTUAAB"), 401, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpResponse response = c.app.Handle(c.request);
        EXPECT_EQ(c.status, response.status);
        const std::string* hveh = Header(response, "HVEH");
        if (c.hveh == nullptr) {
            EXPECT_EQ(nullptr, hveh);
        } else {
            ASSERT_NE(nullptr, hveh);
            EXPECT_EQ(c.hveh, *hveh);
        }
        if (c.status == 401) {
            const std::string* challenge = Header(response, "WWW-Authenticate");
            ASSERT_NE(nullptr, challenge);
            EXPECT_EQ("Basic realm=\"vault\"", *challenge);
        }
    }
}

TEST(VaultAppTest, PerfTestAnswersTheAskedSizeWithoutBuildingIt) {
    VaultApp app({}, FaultPlan());
    HttpResponse response =
        app.Handle(Post(CallBody("", kPersist, "PerfTest", [](CBinarySerializer& out) {
            out.WriteWideString(u"data");
            out.WriteScalar(wire::kTagInt, INT{3 << 20});
        })));
    EXPECT_EQ(6ull << 20, response.fillBytes);
    // Stream header, S_OK and the string's length; the characters are filled.
    EXPECT_EQ(12u + 4 + 4, response.body.size());
}

TEST(VaultAppTest, ControlRecordsCountsAndAppliesPlans) {
    VaultApp app({}, FaultPlan());
    app.AddConnection();
    std::string ping = CallBody("", kPersist, "Ping");
    app.Handle(Post(ping));
    app.Handle(Post(R"([{"method": "Ping", "requests": [1],
        "status": 401, "challenge": ["NTLM", "Negotiate"]},
        {"method": "Ping", "hveh": null, "times": 1}])",
                    "/control/plan"));
    EXPECT_EQ(400u, app.Handle(Post("[{}]", "/control/plan")).status);

    HttpResponse first = app.Handle(Post(ping));
    EXPECT_EQ(401u, first.status);
    std::vector<std::string> challenges;
    for (const auto& [name, value] : first.headers)
        if (name == "WWW-Authenticate") challenges.push_back(value);
    EXPECT_EQ((std::vector<std::string>{"NTLM", "Negotiate"}), challenges);
    HttpResponse second = app.Handle(Post(ping));
    EXPECT_EQ(200u, second.status);
    EXPECT_EQ(nullptr, Header(second, "HVEH"));
    EXPECT_NE(nullptr, Header(app.Handle(Post(ping)), "HVEH"));

    auto stats = nlohmann::json::parse(app.Handle(Get("/control/stats")).body);
    EXPECT_EQ(1, stats["connections"]);
    EXPECT_EQ(4, stats["requests"]);

    EXPECT_EQ(200u, app.Handle(Post("", "/control/reset")).status);
    stats = nlohmann::json::parse(app.Handle(Get("/control/stats")).body);
    EXPECT_EQ(0, stats["connections"]);
    EXPECT_EQ(0, stats["requests"]);
    EXPECT_EQ(404u, app.Handle(Get("/control/nothing")).status);
    EXPECT_EQ(405u, app.Handle(Get("/control/reset")).status);
}

}  // namespace
}  // namespace ql::vault
