// The type library the DLL carries as resource TYPELIB 1, read back through
// the system's loader and compared with the generated catalogue: the library
// and its class, the custom interfaces in slot order, the enumerations, and
// the records with the byte-packed layout of catalogue/records.h.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/interfaces.h"
#include "catalogue/method_tables.h"
#include "catalogue/records.h"
#include "support/base/com_types.h"
#include "support/base/unique_bstr.h"
#include "support/base/wide_string.h"

namespace ql {
namespace {

constexpr std::size_t kPointer = sizeof(void*);

struct Releaser {
    void operator()(IUnknown* p) const { p->Release(); }
};
template <class T>
using Ref = std::unique_ptr<T, Releaser>;
// A descriptor handed out by a type information, released through it.
template <class D>
using Desc = std::unique_ptr<D, std::function<void(D*)>>;

Desc<TYPEATTR> Attr(ITypeInfo* info) {
    TYPEATTR* attr = nullptr;
    EXPECT_EQ(S_OK, info->GetTypeAttr(&attr));
    return {attr, [info](TYPEATTR* a) { info->ReleaseTypeAttr(a); }};
}
Desc<FUNCDESC> Func(ITypeInfo* info, UINT index) {
    FUNCDESC* func = nullptr;
    EXPECT_EQ(S_OK, info->GetFuncDesc(index, &func));
    return {func, [info](FUNCDESC* f) { info->ReleaseFuncDesc(f); }};
}

std::string Take(BSTR text) {
    CUniqueBstr held(text);
    return ToUtf8(WStringView(text, SysStringLen(text)));
}

std::string NameOf(ITypeInfo* info) {
    BSTR name = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    return Take(name);
}

// A function's name followed by its parameters' names.
std::vector<std::string> Names(ITypeInfo* info, MEMBERID id) {
    BSTR names[32] = {};
    UINT count = 0;
    EXPECT_EQ(S_OK, info->GetNames(id, names, 32, &count));
    std::vector<std::string> result;
    for (UINT i = 0; i < count; ++i) result.push_back(Take(names[i]));
    return result;
}

// A type's variables (an enumeration's constants, a record's fields) by name.
std::map<std::string, Desc<VARDESC>> Vars(ITypeInfo* info) {
    std::map<std::string, Desc<VARDESC>> vars;
    for (UINT i = 0; i < Attr(info)->cVars; ++i) {
        VARDESC* var = nullptr;
        EXPECT_EQ(S_OK, info->GetVarDesc(i, &var));
        vars.emplace(Names(info, var->memid)[0],
                     Desc<VARDESC>(var, [info](VARDESC* v) { info->ReleaseVarDesc(v); }));
    }
    return vars;
}

// The interface an interface derives from, or the class's implemented type.
Ref<ITypeInfo> ImplType(ITypeInfo* info, UINT index) {
    HREFTYPE handle = 0;
    ITypeInfo* ref = nullptr;
    if (SUCCEEDED(info->GetRefTypeOfImplType(index, &handle))) {
        EXPECT_EQ(S_OK, info->GetRefTypeInfo(handle, &ref));
    }
    return Ref<ITypeInfo>(ref);
}

// The DLL's path as the build wrote it; a Unix path (a build run under
// Wine) is reached through drive Z:.
std::wstring DllPath() {
    std::string path = QL_TEST_QUILLON_DLL;
    if (path.starts_with('/')) path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return std::wstring(path.begin(), path.end());
}

using Types = std::vector<std::pair<std::string, Ref<ITypeInfo>>>;

class TypeLibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ITypeLib* library = nullptr;
        s_loadResult = LoadTypeLibEx(DllPath().c_str(), REGKIND_NONE, &library);
        s_library.reset(library);
    }
    static void TearDownTestSuite() { s_library.reset(); }
    void SetUp() override {
        ASSERT_EQ(S_OK, s_loadResult) << "LoadTypeLibEx of the DLL's type library failed";
    }

    // The library's types of one kind with their names, in library order.
    static Types OfKind(TYPEKIND kind) {
        Types types;
        for (UINT i = 0; i < s_library->GetTypeInfoCount(); ++i) {
            TYPEKIND k{};
            ITypeInfo* info = nullptr;
            if (SUCCEEDED(s_library->GetTypeInfoType(i, &k)) && k == kind &&
                SUCCEEDED(s_library->GetTypeInfo(i, &info)))
                types.emplace_back(NameOf(info), info);
        }
        return types;
    }
    static Ref<ITypeInfo> Type(TYPEKIND kind, const std::string& name) {
        for (auto& [typeName, info] : OfKind(kind)) {
            if (typeName == name) return std::move(info);
        }
        ADD_FAILURE() << "no type " << name;
        return nullptr;
    }
    static Ref<ITypeInfo> TypeOf(const GUID& guid) {
        ITypeInfo* info = nullptr;
        s_library->GetTypeInfoOfGuid(guid, &info);
        return Ref<ITypeInfo>(info);
    }

    inline static Ref<ITypeLib> s_library;
    inline static HRESULT s_loadResult = E_FAIL;
};

// IQuillon first and default, then each family's interfaces oldest first,
// each deriving from the one before it (IJobQueue_60 is a base of
// IJobQueue_61 in the library but not in the class).
TEST_F(TypeLibraryTest, LibraryAndClassListingItsInterfacesInChainOrder) {
    TLIBATTR* libAttr = nullptr;
    ASSERT_EQ(S_OK, s_library->GetLibAttr(&libAttr));
    EXPECT_EQ(LIBID_QUILLONLib, libAttr->guid);
    EXPECT_EQ(1, libAttr->wMajorVerNum);
    EXPECT_EQ(kPointer == 8 ? SYS_WIN64 : SYS_WIN32, libAttr->syskind);
    s_library->ReleaseTLibAttr(libAttr);
    EXPECT_TRUE(OfKind(TKIND_DISPATCH).empty());
    Types classes = OfKind(TKIND_COCLASS);
    ASSERT_EQ(1u, classes.size());
    EXPECT_EQ("SoapRepository", classes[0].first);
    Ref<ITypeInfo> klass = TypeOf(CLSID_SoapRepository);
    ASSERT_TRUE(klass);
    auto attr = Attr(klass.get());
    EXPECT_NE(0, attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    ASSERT_EQ(46, attr->cImplTypes);
    Types interfaces = OfKind(TKIND_INTERFACE);
    EXPECT_EQ(47u, interfaces.size());
    std::erase_if(interfaces, [](const auto& type) { return type.first == "IJobQueue_60"; });
    ASSERT_EQ(46u, interfaces.size());
    std::string previous = "IUnknown";
    for (UINT i = 0; i < attr->cImplTypes; ++i) {
        Ref<ITypeInfo> iface = ImplType(klass.get(), i);
        ASSERT_TRUE(iface);
        const std::string name = NameOf(iface.get());
        SCOPED_TRACE(name);
        EXPECT_EQ(interfaces[i].first, name);
        INT flags = -1;
        ASSERT_EQ(S_OK, klass->GetImplTypeFlags(i, &flags));
        EXPECT_EQ(i == 0 ? IMPLTYPEFLAG_FDEFAULT : 0, flags);
        const bool chainStart = name.find('_') == std::string::npos;
        EXPECT_EQ(chainStart               ? "IUnknown"
                  : name == "IJobQueue_61" ? "IJobQueue_60"
                                           : previous,
                  NameOf(ImplType(iface.get(), 0).get()));
        previous = name;
    }
    EXPECT_EQ(IID_IQuillon, Attr(ImplType(klass.get(), 0).get())->guid);
    EXPECT_EQ("IJobQueue_51", NameOf(ImplType(TypeOf(IID_IJobQueue_60).get(), 0).get()));
}

// Custom interfaces: neither dual nor dispatch nor automation, every method
// a pure virtual __stdcall function returning HRESULT, in consecutive table
// slots after those of the base.
TEST_F(TypeLibraryTest, EveryInterfaceIsCustomWithHresultMethodsInSlotOrder) {
    for (const auto& [name, info] : OfKind(TKIND_INTERFACE)) {
        SCOPED_TRACE(name);
        auto attr = Attr(info.get());
        EXPECT_EQ(0, attr->wTypeFlags &
                         (TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE | TYPEFLAG_FOLEAUTOMATION));
        ASSERT_EQ(1, attr->cImplTypes);
        Ref<ITypeInfo> base = ImplType(info.get(), 0);
        ASSERT_TRUE(base);
        const std::size_t baseTable = Attr(base.get())->cbSizeVft;
        EXPECT_EQ(baseTable + attr->cFuncs * kPointer, attr->cbSizeVft);
        for (UINT f = 0; f < attr->cFuncs; ++f) {
            auto func = Func(info.get(), f);
            EXPECT_EQ(FUNC_PUREVIRTUAL, func->funckind);
            EXPECT_EQ(INVOKE_FUNC, func->invkind);
            EXPECT_EQ(CC_STDCALL, func->callconv);
            EXPECT_EQ(VT_HRESULT, func->elemdescFunc.tdesc.vt);
            EXPECT_EQ(baseTable + f * kPointer, static_cast<std::size_t>(func->oVft));
        }
    }
}

// Every method of the generated tables of a family the class implements sits
// in its slot of the family's newest interface, placeholders without
// parameters, and the parameters the reply carries (and only those) marked
// [out].
TEST_F(TypeLibraryTest, FamilyMethodsMatchTheGeneratedTables) {
    int families = 0;
    for (const catalog::FamilyEntry& family : catalog::Families()) {
        Ref<ITypeInfo> newest = TypeOf(family.sentInterface);
        if (!newest) continue;
        SCOPED_TRACE(family.key);
        ++families;
        // Each function of the chain by name: its slot and its parameters' flags.
        std::map<std::string, std::pair<std::size_t, std::map<std::string, USHORT>>> functions;
        for (Ref<ITypeInfo> info = std::move(newest); info && NameOf(info.get()) != "IUnknown";
             info = ImplType(info.get(), 0)) {
            for (UINT f = 0; f < Attr(info.get())->cFuncs; ++f) {
                auto func = Func(info.get(), f);
                std::vector<std::string> names = Names(info.get(), func->memid);
                ASSERT_EQ(static_cast<std::size_t>(func->cParams) + 1, names.size());
                auto& [slot, flags] = functions[names[0]];
                slot = func->oVft / kPointer;
                for (SHORT p = 0; p < func->cParams; ++p)
                    flags[names[p + 1]] = func->lprgelemdescParam[p].paramdesc.wParamFlags;
            }
        }
        EXPECT_EQ(family.methods.size(), functions.size());
        for (const catalog::MethodEntry& method : family.methods) {
            SCOPED_TRACE(method.name);
            auto found = functions.find(method.name);
            ASSERT_NE(functions.end(), found);
            const auto& [slot, flags] = found->second;
            EXPECT_EQ(method.slot, slot);
            if (method.kind == catalog::MethodKind::kEmpty) {
                EXPECT_TRUE(flags.empty());
            }
            std::set<std::string> out;
            for (const catalog::WireItem& item : method.received) out.insert(item.param);
            for (const auto& items : {method.sent, method.received}) {
                for (const catalog::WireItem& item : items)
                    EXPECT_EQ(out.count(item.param) != 0,
                              (flags.at(item.param) & PARAMFLAG_FOUT) != 0)
                        << item.param;
            }
        }
    }
    EXPECT_EQ(5, families);
}

TEST_F(TypeLibraryTest, EnumerationsKeepTheirSigned32BitValues) {
    Types enumerations = OfKind(TKIND_ENUM);
    EXPECT_EQ(16u, enumerations.size());
    for (const auto& [name, info] : enumerations) {
        SCOPED_TRACE(name);
        EXPECT_EQ(4u, Attr(info.get())->cbSizeInstance);
        for (const auto& [member, var] : Vars(info.get())) {
            ASSERT_EQ(VAR_CONST, var->varkind) << member;
            EXPECT_EQ(VT_I4, V_VT(var->lpvarValue)) << member;
        }
    }
    Ref<ITypeInfo> status = Type(TKIND_ENUM, "_status");
    ASSERT_TRUE(status);
    auto values = Vars(status.get());
    ASSERT_EQ(23u, values.size());
    EXPECT_EQ(static_cast<LONG>(0x8C000000u), V_I4(values.at("kJobUndefined")->lpvarValue));
    EXPECT_EQ(kJobDone, V_I4(values.at("kJobDone")->lpvarValue));
}

#define QL_NATURAL(type)                           \
    {                                              \
        "_" #type, { sizeof(type), alignof(type) } \
    }

// Every record of the library is byte-packed, except the platform's own,
// which keep their natural layout; a raw record is as large as its block.
// The update and security records are not described.
TEST_F(TypeLibraryTest, RecordsArePackedAndPlatformRecordsNatural) {
    const std::map<std::string, std::pair<std::size_t, std::size_t>> natural = {
        QL_NATURAL(SYSTEMTIME),           QL_NATURAL(FILETIME),   QL_NATURAL(ULARGE_INTEGER),
        QL_NATURAL(COSERVERINFO),         QL_NATURAL(COAUTHINFO), QL_NATURAL(COAUTHIDENTITY),
        QL_NATURAL(TIME_ZONE_INFORMATION)};
    const std::set<std::string> outside = {"_updateInfo", "_sbsVersion", "_updateFileInfo",
                                           "_securitySettings", "_securitySettings40"};
    std::map<std::string, std::size_t> rawSizes;
    for (const catalog::RecordEntry& record : catalog::Records())
        if (record.rawSize != 0 && outside.count(record.name) == 0)
            rawSizes[record.name] = record.rawSize;
    int packed = 0;
    int platform = 0;
    for (const auto& [name, info] : OfKind(TKIND_RECORD)) {
        SCOPED_TRACE(name);
        EXPECT_EQ(0u, outside.count(name));
        auto attr = Attr(info.get());
        const auto layout =
            std::make_pair<std::size_t, std::size_t>(attr->cbSizeInstance, attr->cbAlignment);
        if (natural.count(name) != 0) {
            ++platform;
            EXPECT_EQ(natural.at(name), layout);
        } else {
            ++packed;
            EXPECT_EQ(1u, layout.second);
            if (rawSizes.count(name) != 0) {
                EXPECT_EQ(rawSizes.extract(name).mapped(), layout.first);
            }
        }
    }
    EXPECT_EQ(7, platform);
    EXPECT_EQ(88, packed);
    EXPECT_TRUE(rawSizes.empty());  // every raw record was described
}

#undef QL_NATURAL

// The last members of records of every kind (after pointers, narrow array
// counts, list links, nested records, strings, VARIANTs, times and
// enumerations), and the job list a meta-job specification sends last but
// declares before its last field.
TEST_F(TypeLibraryTest, RecordFieldsSitAtTheirPackedOffsets) {
    auto expect = [](const char* record, const char* field, std::size_t offset, std::size_t size) {
        SCOPED_TRACE(std::string(record) + "." + field);
        Ref<ITypeInfo> info = Type(TKIND_RECORD, record);
        ASSERT_TRUE(info);
        EXPECT_EQ(size, Attr(info.get())->cbSizeInstance);
        auto vars = Vars(info.get());
        ASSERT_EQ(1u, vars.count(field));
        EXPECT_EQ(VAR_PERINSTANCE, vars.at(field)->varkind);
        EXPECT_EQ(offset, static_cast<std::size_t>(vars.at(field)->oInst));
    };
#define QL_FIELD(type, field) expect(#type, #field, offsetof(type, field), sizeof(type))
    QL_FIELD(_blockdescriptor, pExtBlock);
    QL_FIELD(_hashmatch, nextHashMatch);
    QL_FIELD(DeltaFP, pFP);
    QL_FIELD(_blobblockdesc_403, pBlockData);
    QL_FIELD(_PropertyDesc, Value);
    QL_FIELD(_VaultTimeInfo, TimeZoneInfo);
    QL_FIELD(_backupjobspec, IncludeItems);
    QL_FIELD(_filesystementry, pNextFileSystemEntry);
    QL_FIELD(_itemtoarchive, archiveFlag);
    QL_FIELD(GenRepXhange, m_strRepositoryComputerName);
    QL_FIELD(_metajobspec, Jobs);
    QL_FIELD(_metajobspec, ScheduledJob);
    QL_FIELD(_metajobspec403, Jobs);
    QL_FIELD(_metajobspec403, lMetaJobFlags);
    QL_FIELD(_RNSM_EVENT, MessageStatus);
    QL_FIELD(_RNSM_EVENT, aParamStrings);
#undef QL_FIELD
    // The documented 32-bit figures of the event record: 66 bytes, the
    // strings at offset 30.
    EXPECT_EQ(kPointer == 4 ? 66u : 110u, sizeof(_RNSM_EVENT));
    EXPECT_EQ(kPointer == 4 ? 30u : 38u, offsetof(_RNSM_EVENT, aParamStrings));
    // A field-by-field record is packed too: 18 bytes of numbers, two pointers.
    EXPECT_EQ(18 + 2 * kPointer, sizeof(_blockdescriptor));
}

}  // namespace
}  // namespace ql
