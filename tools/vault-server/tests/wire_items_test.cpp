#include "wire_items.h"

#include <gtest/gtest.h>

#include "bytes.h"
#include "reply_writer.h"
#include "server/record_peer.h"
#include "store_calls.h"
#include "vault_service.h"
#include "vault_test_util.h"

namespace ql::vault {
namespace {

using catalog::ItemKind;
using catalog::WireItem;

ql::test::Bytes ZeroBytes(const WireItem& item) {
    return test::Encoded([&](CBinarySerializer& out) { WriteZeroItem(out, item); });
}

TEST(WireItemsTest, WritesTheEmptyValueOfEachKindOfItemAndRefusesUnknownOnes) {
    struct Case {
        WireItem item;
        const char* hex;  // null: refused
    };
    const Case cases[] = {
        {{ItemKind::kPlain, "long", 0, "p"}, "00 00 00 00"},
        {{ItemKind::kPlain, "short", 0, "p"}, "00 00"},
        {{ItemKind::kPlain, "__int64", 0, "p"}, "00 00 00 00 00 00 00 00"},
        {{ItemKind::kPlain, "unsigned char", 0, "p"}, "00"},
        {{ItemKind::kPlain, "BSTR", 0, "p"}, "00 00 00 00"},
        {{ItemKind::kPlain, "GUID", 0, "p"}, "00000000 00000000 00000000 00000000"},
        {{ItemKind::kPlain, "VARIANT", 0, "p"}, "0000 0000 0000 0000"},
        {{ItemKind::kPlain, "_SYSTEMTIME", 0, "p"}, "00000000 00000000 00000000 00000000"},
        {{ItemKind::kUnique, "long", 0, "p"}, "00 00 00 00"},
        {{ItemKind::kArray, "_blobkey", 141, "p"}, "00 00 00 00 00 00 00 00"},
        {{ItemKind::kEvent, "-", 0, "p"}, "00 00 00 00"},
        {{ItemKind::kPlain, "float", 0, "p"}, nullptr},
        {{ItemKind::kPlain, "_nosuchrecord", 999, "p"}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.item.wire) + " kind " +
                     std::to_string(static_cast<int>(c.item.kind)));
        if (c.hex == nullptr)
            EXPECT_THROW(ZeroBytes(c.item), ATL::CAtlException);
        else
            EXPECT_EQ(ql::test::Hex(c.hex), ZeroBytes(c.item));
    }
}

// Every record that travels: its zero value reads back with the codec and
// uses up exactly what was written.
TEST(WireItemsTest, EveryRecordZeroValueReadsBack) {
    for (const wire::RecordOps& ops : wire::AllRecordOps()) {
        SCOPED_TRACE(ops.name);
        ReplyWriter reply(S_OK);
        ops.writeZero(reply.Out());
        EXPECT_TRUE(test::ReadsExactly(
            reply.Bytes(), [&](HRESULT, CBinaryDeserializer& in) { ops.readAndDiscard(in); }));
    }
}

// Every remote method of the catalogue, through the whole service: a
// request of empty in-values is accepted, and the reply carries HVEH 200,
// S_OK and the method's out-values, readable to the last byte.
TEST(WireItemsTest, EveryMethodGetsAWellFormedEmptyAnswer) {
    VaultService service;
    std::size_t methods = 0;
    for (const catalog::FamilyEntry& family : catalog::Families()) {
        for (const catalog::MethodEntry& method : family.methods) {
            if (method.kind != catalog::MethodKind::kRemote) continue;
            SCOPED_TRACE(std::string(family.key) + "::" + method.name);
            std::string body =
                test::CallBody("", family.sentInterface, method.name, [&](CBinarySerializer& out) {
                    for (const WireItem& item : method.sent) WriteZeroItem(out, item);
                });
            VaultReply reply = service.Handle(test::Span(body));
            ASSERT_EQ(200u, reply.httpStatus);
            EXPECT_EQ(kVaultOk, reply.hveh);
            EXPECT_TRUE(
                test::ReadsExactly(reply.body, [&](HRESULT result, CBinaryDeserializer& in) {
                    // The store's methods answer for what they find (nothing here).
                    if (!IsStoreMethod(method.name)) {
                        EXPECT_EQ(S_OK, result);
                    }
                    for (const WireItem& item : method.received) SkipItem(in, item);
                }));
            ++methods;
        }
    }
    EXPECT_GT(methods, 400u);
}

}  // namespace
}  // namespace ql::vault
