// Method shapes beyond one value per parameter, byte for byte: arrays that
// share one count, fixed caller buffers, arrays read back without a count
// argument, VARIANT out-arguments and the dispatch slots. The generated
// round trips cover every method; these rows build requests and replies by
// hand from the wire rules. Replies use threshold 0, so every received value
// carries its tag and a wrong wire type fails the read.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/families.h"
#include "codec_test_util.h"
#include "repository_fixture.h"
#include "support/base/unique_bstr.h"

namespace ql::test {
namespace {

constexpr HRESULT kTooLarge = static_cast<HRESULT>(0x800706F8u);  // ERROR_INVALID_USER_BUFFER

const SYSTEMTIME kTime1 = {2024, 5, 3, 17, 13, 45, 30, 999};
const SYSTEMTIME kTime2 = {2001, 12, 6, 31, 23, 59, 58, 1};

std::string Str(BSTR value) { return value == nullptr ? "<null>" : Text(value); }

class ProxyWire;

// One call: what the request carries after the call header, what the reply
// carries after the result, and the call with its checks.
struct Call {
    const char* what;
    const RemoteFamily& family;
    std::u16string_view method;
    std::function<void(Wire&)> sent;
    std::function<void(Wire&)> received;
    std::function<void(ProxyWire&)> run;
    bool consumed = true;  // false: the proxy refuses the reply halfway
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

    void Run(const std::vector<Call>& calls) {
        for (const Call& call : calls) {
            SCOPED_TRACE(call.what);
            Wire args(255);
            call.sent(args);
            Bytes request = CallHeader(call.family.clsid, call.family.iid, call.method);
            AppendBytes(request, args.bytes);
            Wire reply(0);
            reply.Put(StreamHeader(12, 0x00060001, 0)).Long(S_OK);
            call.received(reply);
            m_transport->ExpectCall(std::move(request), reply.bytes);
            call.run(*this);
            EXPECT_EQ(0u, m_transport->UnusedSteps());
            if (call.consumed) {
                EXPECT_TRUE(m_transport->ReplyFullyRead())
                    << "the reply holds bytes the proxy did not read";
            }
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
    static _hashsize hashes[2];
    static LONG count;
    static _hashmatch* matches;
    auto hashImages = [](Wire& w, std::uint32_t first) {
        w.ArrayHead(2, 2).Put(
            Image({Le(first, 4), Le(first + 1, 4), Le(first + 2, 4), Le(first + 3, 4)}, 16));
    };
    // The reply: two hashes, then one match of one file.
    auto reply = [](Wire& w) {
        w.ArrayHead(2, 2);
        w.RawRecord(135, Image({Le(0x61, 4), Le(0x62, 4)}, 8));
        w.RawRecord(135, Image({Le(0x63, 4), Le(0x64, 4)}, 8));
        w.ArrayHead(2, 1).Tag(137).Long(0x55).ArrayHead(1, 1);
        w.RawRecord(136, Image({Le(0x99, 8), Le(2, 2), Le(3, 4), Le(4, 4)}, 18)).Present(false);
        w.Present(false);
    };
    auto checkMatches = [] {
        EXPECT_EQ(2, count);  // the first array's length, not the second's 1
        EXPECT_EQ(0x61, V(hashes[0].hashValue));
        EXPECT_EQ(0x64, V(hashes[1].sizeFileLow));
        ASSERT_NE(nullptr, matches);
        EXPECT_EQ(0x55, V(matches[0].hashValue));
        ASSERT_EQ(1u, V(matches[0].numMatches));
        EXPECT_EQ(0x99, V(matches[0].pPhysicalFileList[0].physicalFileID));
        CoTaskMemFree(matches[0].pPhysicalFileList);
        CoTaskMemFree(matches);
    };
    static BSTR* names;
    static BSTR* fullNames;
    static ULONG users;
    Run({
        {"no second array: sent empty", kFamilyFileSystem, u"ReadDateTimeMatches",
         [&](Wire& w) {
             hashImages(w, 0x11);
             w.ArrayHead(0, 0).Present(false);
         },
         reply,
         [&](ProxyWire& t) {
             hashes[0] = {0x11, 0x12};
             hashes[1] = {0x13, 0x14};
             count = 2;
             matches = nullptr;
             auto* fs = t.Itf<IDSFileSystem>(IID_IDSFileSystem);
             EXPECT_EQ(S_OK, fs->ReadDateTimeMatches(hashes, &count, &matches, nullptr));
             checkMatches();
         }},
        {"the caller's second array: sent with the first's length", kFamilyFileSystem,
         u"ReadDateTimeMatches",
         [&](Wire& w) {
             hashImages(w, 0x61);
             w.ArrayHead(2, 2).Long(0x71).ArrayHead(0, 0).Present(false);
             w.Long(0x72).ArrayHead(0, 0).Present(false).Present(false);
         },
         reply,
         [&](ProxyWire& t) {
             matches = static_cast<_hashmatch*>(CoTaskMemAlloc(2 * sizeof(_hashmatch)));
             ASSERT_NE(nullptr, matches);
             std::memset(static_cast<void*>(matches), 0, 2 * sizeof(_hashmatch));
             matches[0].hashValue = 0x71;
             matches[1].hashValue = 0x72;
             auto* fs = t.Itf<IDSFileSystem>(IID_IDSFileSystem);
             EXPECT_EQ(S_OK, fs->ReadDateTimeMatches(hashes, &count, &matches, nullptr));
             checkMatches();
         }},
        {"two string arrays, one count", kFamilyLocalUserManager, u"GetAllUsers", [](Wire&) {},
         [](Wire& w) {
             w.ArrayHead(2, 2).Bstr(u"ann").Bstr(u"bob").ArrayHead(1, 1).Bstr(u"Ann Smith");
         },
         [](ProxyWire& t) {
             auto* itf = t.Itf<INTLocalUserManager>(IID_INTLocalUserManager);
             EXPECT_EQ(S_OK, itf->GetAllUsers(&names, &fullNames, &users));
             ASSERT_EQ(2u, users);
             ASSERT_NE(nullptr, names);
             ASSERT_NE(nullptr, fullNames);
             EXPECT_EQ("bob", Str(names[1]));
             EXPECT_EQ("Ann Smith", Str(fullNames[0]));
             for (BSTR text : {names[0], names[1], fullNames[0]}) SysFreeString(text);
             CoTaskMemFree(names);
             CoTaskMemFree(fullNames);
         }},
    });
}

TEST_F(ProxyWire, FixedCallerBuffersTakeWhatFitsAndRefuseMore) {
    static LONG actual;
    static _rnsm_filedescriptor files[2];
    static CHAR text[8];
    static CHAR more;
    auto readTree = [](HRESULT expected) {
        return [expected](ProxyWire& t) {
            std::memset(static_cast<void*>(files), 0, sizeof files);
            auto* view = t.Itf<IDSFileSystemView_57>(IID_IDSFileSystemView_57);
            EXPECT_EQ(expected, view->ReadVolumeFileTree(2, &actual, files, nullptr));
            if (expected == S_OK) {
                EXPECT_EQ(1, actual);
                EXPECT_EQ("a.txt", Str(files[0].Name));
                EXPECT_EQ(kArchived, V(files[0].archiveFlag));
            }
            // A refused reply leaves nothing in the caller's buffer.
            if (expected != S_OK) {
                EXPECT_EQ(nullptr, V(files[0].Name));
            }
            EXPECT_EQ(nullptr, V(files[1].Name));
            for (auto& file : files) SysFreeString(file.Name);
        };
    };
    auto readSql = [](HRESULT expected) {
        return [expected](ProxyWire& t) {
            auto* vault = t.Itf<IDSVault>(IID_IDSVault);
            EXPECT_EQ(expected, vault->ReadISqlOutput(8, &actual, text, &more, nullptr));
            if (expected != S_OK) return;
            EXPECT_EQ(5, actual);
            EXPECT_EQ("hello", std::string(text, 5));
            EXPECT_EQ(-1, more);
        };
    };
    auto sendMax = [](Wire& w) { w.Long(2).Present(false); };
    auto sendSql = [](Wire& w) { w.Long(8).Present(false); };
    Run({
        {"records: one of two", kFamilyFileSystemView, u"ReadVolumeFileTree", sendMax,
         [](Wire& w) {
             w.ArrayHead(2, 1);
             FileDescriptor(w, u"a.txt");
             w.Present(false);
         },
         readTree(S_OK)},
        {"records: three for two", kFamilyFileSystemView, u"ReadVolumeFileTree", sendMax,
         [](Wire& w) {
             w.ArrayHead(3, 3);
             for (int i = 0; i < 3; ++i) FileDescriptor(w, u"a.txt");
             w.Present(false);
         },
         readTree(kTooLarge), false},
        {"bytes: five of eight", kFamilyVault, u"ReadISqlOutput", sendSql,
         [](Wire& w) {
             w.ArrayHead(8, 5).Block(Bytes{'h', 'e', 'l', 'l', 'o'}).UChar(0xFF).Present(false);
         },
         readSql(S_OK)},
        {"bytes: nine for eight", kFamilyVault, u"ReadISqlOutput", sendSql,
         [](Wire& w) { w.ArrayHead(9, 9).Block(Bytes(9, 'x')).UChar(0).Present(false); },
         readSql(kTooLarge), false},
    });
}

TEST_F(ProxyWire, ArraysWithoutACountArgumentAreReadBackWithTheirWireLength) {
    Run({
        {"schedules sent and read back", kFamilyVault, u"AddServerSchedules",
         [](Wire& w) {
             w.Enum(0x84).ArrayHead(2, 2);
             w.Put(Image({Le(0, 4), TimeBytes(kTime1), Le(0x7F, 4), Le(60, 4)}, 28));
             w.Put(Image({Le(0, 4), TimeBytes(kTime2), Le(0x01, 4), Le(0xFFFFFFFF, 4)}, 28));
             w.EmptyEvent();
         },
         [](Wire& w) {
             w.ArrayHead(3, 3);
             for (std::uint32_t key : {0x901u, 0x902u, 0x903u})
                 w.RawRecord(171, Image({Le(key, 4), TimeBytes(kTime1), Le(3, 4), Le(30, 4)}, 28));
             w.Present(false);
         },
         [](ProxyWire& t) {
             auto* schedules =
                 static_cast<_scheduleinfo*>(CoTaskMemAlloc(2 * sizeof(_scheduleinfo)));
             ASSERT_NE(nullptr, schedules);
             schedules[0] = {0, kTime1, 0x7F, 60};
             schedules[1] = {0, kTime2, 0x01, -1};
             _RNSM_EVENT event{};
             auto* vault = t.Itf<IDSVault>(IID_IDSVault);
             EXPECT_EQ(S_OK,
                       vault->AddServerSchedules(kMetaServerRetentionJob, &schedules, 2, &event));
             ASSERT_NE(nullptr, schedules);
             EXPECT_EQ(0x903, V(schedules[2].ScheduleKey));  // grown to the wire's three
             EXPECT_EQ(30, V(schedules[2].TimeWindow));
             CoTaskMemFree(schedules);
         }},
        {"properties with variant values", kFamilyVault, u"GetProperty",
         [](Wire& w) {
             w.ULong(1).Long(2).ULong(3).ArrayHead(2, 2).Bstr(u"Quota").Bstr(u"Rights");
             w.Present(false);
         },
         [](Wire& w) {
             w.ArrayHead(2, 2);
             w.Tag(196).Bstr(u"Quota").VariantHead(VT_I4).Long(7).Int(0);
             w.Tag(196).Bstr(u"Rights").VariantHead(VT_BSTR).Bstr(u"rw").Int(1);
             w.Present(false);
         },
         [](ProxyWire& t) {
             CUniqueBstr quota(SysAllocString(OLESTR("Quota")));
             CUniqueBstr rights(SysAllocString(OLESTR("Rights")));
             BSTR names[2] = {quota.Get(), rights.Get()};
             _PropertyDesc* properties = nullptr;
             auto* vault = t.Itf<IDSVault_40>(IID_IDSVault_40);
             EXPECT_EQ(S_OK, vault->GetProperty(1, 2, 3, 2, names, &properties, nullptr));
             ASSERT_NE(nullptr, properties);
             EXPECT_EQ(7, V(properties[0].Value.lVal));
             EXPECT_EQ("Rights", Str(properties[1].Name));
             EXPECT_EQ("rw", Str(V(properties[1].Value.bstrVal)));
             EXPECT_EQ(1, V(properties[1].Inherited));
             for (int i = 0; i < 2; ++i) {
                 SysFreeString(properties[i].Name);
                 VARIANT value = V(properties[i].Value);  // an aligned copy to clear
                 VariantClear(&value);
             }
             CoTaskMemFree(properties);
         }},
    });
}

TEST_F(ProxyWire, VariantOutArgumentsCarryTheirValueByType) {
    struct Row {
        const char* what;
        std::function<void(Wire&)> value;  // after the four words
        VARTYPE vt;
        HRESULT result;
        std::function<void(const VARIANT&)> check;
    };
    const Row rows[] = {
        {"VT_EMPTY: nothing", [](Wire&) {}, VT_EMPTY, S_OK, [](const VARIANT&) {}},
        {"VT_I4: long", [](Wire& w) { w.Long(-7); }, VT_I4, S_OK,
         [](const VARIANT& v) { EXPECT_EQ(-7, v.lVal); }},
        {"VT_BOOL: short", [](Wire& w) { w.Short(-1); }, VT_BOOL, S_OK,
         [](const VARIANT& v) { EXPECT_EQ(-1, v.boolVal); }},
        {"VT_UI8: unsigned __int64", [](Wire& w) { w.UInt64(0x0102030405060708); }, VT_UI8, S_OK,
         [](const VARIANT& v) { EXPECT_EQ(0x0102030405060708u, v.ullVal); }},
        {"VT_BSTR: string", [](Wire& w) { w.Bstr(u"ann;bob"); }, VT_BSTR, S_OK,
         [](const VARIANT& v) { EXPECT_EQ("ann;bob", Str(v.bstrVal)); }},
        {"VT_R8: unsupported", [](Wire& w) { w.Put(Le(0, 8)); }, VT_R8,
         static_cast<HRESULT>(0x8007065Eu), [](const VARIANT&) {}},
    };
    for (const Row& row : rows) {
        Run({{row.what, kFamilyLocalUserManager, u"GetUsersFromWeb", [](Wire&) {},
              [&](Wire& w) {
                  w.VariantHead(row.vt);
                  row.value(w);
              },
              [&](ProxyWire& t) {
                  VARIANT value;
                  VariantInit(&value);
                  auto* users = t.Itf<INTLocalUserManager>(IID_INTLocalUserManager);
                  EXPECT_EQ(row.result, users->GetUsersFromWeb(&value));
                  if (row.result == S_OK) {
                      EXPECT_EQ(row.vt, value.vt);
                      row.check(value);
                  }
                  VariantClear(&value);
              },
              row.result == S_OK}});
    }
}

TEST_F(ProxyWire, DispatchSlotsAnswerNotImplementedWithoutARequest) {
    auto* users = Itf<INTLocalUserManager>(IID_INTLocalUserManager);
    ASSERT_NE(nullptr, users);
    UINT count = 5;
    ITypeInfo* info = nullptr;
    const IID none = {};
    const std::function<HRESULT()> slots[] = {
        [&] { return users->GetTypeInfoCount(&count); },
        [&] { return users->GetTypeInfo(0, 0, &info); },
        [&] { return users->GetIDsOfNames(none, nullptr, 0, 0, nullptr); },
        [&] { return users->Invoke(0, none, 0, 0, nullptr, nullptr, nullptr, nullptr); },
    };
    for (const auto& slot : slots) EXPECT_EQ(static_cast<HRESULT>(0x80004001u), slot());
    EXPECT_EQ(0u, m_transport->SendCount());
}

}  // namespace
}  // namespace ql::test
