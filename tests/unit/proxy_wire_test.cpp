// Method shapes beyond one value per parameter, byte for byte: arrays that
// share one count and fixed caller buffers given too much. The generated
// round trips cover every method; these rows build requests and replies by
// hand from the wire rules. Replies use threshold 0, so every received value
// carries its tag and a wrong wire type fails the read.
#include <gtest/gtest.h>

#include <functional>
#include <string_view>
#include <vector>

#include "catalogue/families.h"
#include "codec_test_util.h"
#include "repository_fixture.h"

namespace ql::test {
namespace {

constexpr HRESULT kTooLarge = static_cast<HRESULT>(0x800706F8u);  // ERROR_INVALID_USER_BUFFER

// One call refused by a fixed caller buffer: what the request carries after
// the call header, what the reply carries after the result, and the call
// with its checks.
class ProxyWire;
struct Refusal {
    const char* what;
    const RemoteFamily& family;
    std::u16string_view method;
    std::function<void(Wire&)> sent;
    std::function<void(Wire&)> received;
    std::function<void(ProxyWire&)> run;
};

class ProxyWire : public RepositoryTest {
public:
    // The object's pointer for an interface version; the fixture's own
    // reference keeps the object alive.
    template <class I>
    I* Itf(const IID& iid) {
        void* pointer = nullptr;
        EXPECT_EQ(S_OK, m_repository->QueryInterface(iid, &pointer));
        if (pointer != nullptr) static_cast<IUnknown*>(pointer)->Release();
        return static_cast<I*>(pointer);
    }

    // Scripts one call: the request's arguments as `sent` writes them, and a
    // reply of S_OK followed by what `received` writes.
    void Expect(const RemoteFamily& family, std::u16string_view method,
                const std::function<void(Wire&)>& sent,
                const std::function<void(Wire&)>& received) {
        Wire request(255);
        request.Put(CallHeader(family.clsid, family.iid, method));
        sent(request);
        Wire reply(0);
        reply.Put(StreamHeader(12, 0x00060001, 0)).Long(S_OK);
        received(reply);
        m_transport->ExpectCall(request.bytes, reply.bytes);
    }

    void Run(const std::vector<Refusal>& calls) {
        for (const Refusal& call : calls) {
            SCOPED_TRACE(call.what);
            Expect(call.family, call.method, call.sent, call.received);
            call.run(*this);
            EXPECT_EQ(0u, m_transport->UnusedSteps());
        }
    }
};

// A file descriptor of zeros but its name (wire order of its fields).
void FileDescriptor(Wire& w, std::u16string_view name) {
    w.Tag(156).Long(1).Short(0).Short(0).Short(0).Int64(0).Int64(0).Short(0).Int64(0).Bstr(name);
    for (int i = 0; i < 12; ++i) w.Long(0);
    w.Int(0).Short(0).NullBstr().Enum(1);
}

TEST_F(ProxyWire, ArraysSharingOneCountTravelWithTheFirstArraysLength) {
    // Two hashes and no second array (sent empty); back come two hashes and
    // one match of one file.
    Expect(
        kFamilyFileSystem, u"ReadDateTimeMatches",
        [](Wire& w) {
            w.ArrayHead(2, 2).Put(Image({Le(0x11, 4), Le(0x12, 4), Le(0x13, 4), Le(0x14, 4)}, 16));
            w.ArrayHead(0, 0).Present(false);
        },
        [](Wire& w) {
            w.ArrayHead(2, 2);
            w.RawRecord(135, Image({Le(0x61, 4), Le(0x62, 4)}, 8));
            w.RawRecord(135, Image({Le(0x63, 4), Le(0x64, 4)}, 8));
            w.ArrayHead(2, 1).Tag(137).Long(0x55).ArrayHead(1, 1);
            w.RawRecord(136, Image({Le(0x99, 8), Le(2, 2), Le(3, 4), Le(4, 4)}, 18));
            w.Present(false).Present(false);
        });
    _hashsize hashes[2] = {{0x11, 0x12}, {0x13, 0x14}};
    LONG count = 2;
    _hashmatch* matches = nullptr;
    auto* fs = Itf<IDSFileSystem>(IID_IDSFileSystem);
    EXPECT_EQ(S_OK, fs->ReadDateTimeMatches(hashes, &count, &matches, nullptr));
    EXPECT_TRUE(m_transport->ReplyFullyRead()) << "the reply holds bytes the proxy did not read";
    EXPECT_EQ(2, count);  // the first array's length, not the second's 1
    EXPECT_EQ(0x64, V(hashes[1].sizeFileLow));
    ASSERT_NE(nullptr, matches);
    ASSERT_EQ(1u, V(matches[0].numMatches));
    EXPECT_EQ(0x99, V(matches[0].pPhysicalFileList[0].physicalFileID));
    CoTaskMemFree(matches[0].pPhysicalFileList);
    CoTaskMemFree(matches);
}

// What fits is covered by the generated round trips.
TEST_F(ProxyWire, FixedCallerBuffersRefuseMoreThanTheyHold) {
    Run({
        {"records: three for two", kFamilyFileSystemView, u"ReadVolumeFileTree",
         [](Wire& w) { w.Long(2).Present(false); },
         [](Wire& w) {
             w.ArrayHead(3, 3);
             for (int i = 0; i < 3; ++i) FileDescriptor(w, u"a.txt");
             w.Present(false);
         },
         [](ProxyWire& t) {
             LONG actual = 0;
             _rnsm_filedescriptor files[2] = {};
             auto* view = t.Itf<IDSFileSystemView_57>(IID_IDSFileSystemView_57);
             EXPECT_EQ(kTooLarge, view->ReadVolumeFileTree(2, &actual, files, nullptr));
             // Nothing reaches the caller's buffer.
             EXPECT_EQ(nullptr, V(files[0].Name));
             EXPECT_EQ(nullptr, V(files[1].Name));
         }},
        {"bytes: nine for eight", kFamilyVault, u"ReadISqlOutput",
         [](Wire& w) { w.Long(8).Present(false); },
         [](Wire& w) { w.ArrayHead(9, 9).Block(Bytes(9, 'x')).UChar(0).Present(false); },
         [](ProxyWire& t) {
             LONG actual = 0;
             CHAR text[8] = {}, more = 0;
             auto* vault = t.Itf<IDSVault>(IID_IDSVault);
             EXPECT_EQ(kTooLarge, vault->ReadISqlOutput(8, &actual, text, &more, nullptr));
         }},
    });
}

}  // namespace
}  // namespace ql::test
