// The type library the DLL carries as resource TYPELIB 1, read back through
// the system's loader and compared with the generated catalogue: the library
// and its class, the custom interfaces in slot order, the enumerations, and
// the records with the byte-packed layout of catalogue/records.h.
#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "catalogue/interfaces.h"
#include "catalogue/method_tables.h"
#include "catalogue/records.h"
#include "support/base/com_types.h"

#ifndef QL_TEST_QUILLON_DLL
#error "QL_TEST_QUILLON_DLL (path of the built DLL) is defined by tests/CMakeLists.txt"
#endif

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
Desc<VARDESC> Var(ITypeInfo* info, UINT index) {
    VARDESC* var = nullptr;
    EXPECT_EQ(S_OK, info->GetVarDesc(index, &var));
    return {var, [info](VARDESC* v) { info->ReleaseVarDesc(v); }};
}

std::string Take(BSTR text) {
    std::string narrow;
    for (UINT i = 0; text != nullptr && i < SysStringLen(text); ++i)
        narrow.push_back(static_cast<char>(text[i]));
    SysFreeString(text);
    return narrow;
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

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
    std::wstring path = Wide(QL_TEST_QUILLON_DLL);
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

class TypeLibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ITypeLib* library = nullptr;
        s_loadResult = LoadTypeLibEx(DllPath().c_str(), REGKIND_NONE, &library);
        s_library = library;
    }
    static void TearDownTestSuite() {
        if (s_library != nullptr) s_library->Release();
        s_library = nullptr;
    }
    void SetUp() override {
        ASSERT_EQ(S_OK, s_loadResult) << "LoadTypeLibEx of the DLL's type library failed";
        m_lib = s_library;
    }

    Ref<ITypeInfo> Type(const std::string& name) const {
        for (UINT i = 0; i < m_lib->GetTypeInfoCount(); ++i) {
            ITypeInfo* info = nullptr;
            if (FAILED(m_lib->GetTypeInfo(i, &info))) continue;
            Ref<ITypeInfo> held(info);
            if (NameOf(info) == name) return held;
        }
        ADD_FAILURE() << "no type " << name;
        return nullptr;
    }
    Ref<ITypeInfo> TypeOf(const GUID& guid) const {
        ITypeInfo* info = nullptr;
        m_lib->GetTypeInfoOfGuid(guid, &info);
        return Ref<ITypeInfo>(info);
    }

    std::vector<std::string> NamesOfKind(TYPEKIND kind) const {
        std::vector<std::string> names;
        for (UINT i = 0; i < m_lib->GetTypeInfoCount(); ++i) {
            TYPEKIND k{};
            BSTR name = nullptr;
            if (SUCCEEDED(m_lib->GetTypeInfoType(i, &k)) && k == kind &&
                SUCCEEDED(
                    m_lib->GetDocumentation(static_cast<INT>(i), &name, nullptr, nullptr, nullptr)))
                names.push_back(Take(name));
        }
        return names;
    }

    static ITypeLib* s_library;
    static HRESULT s_loadResult;
    ITypeLib* m_lib = nullptr;
};

ITypeLib* TypeLibraryTest::s_library = nullptr;
HRESULT TypeLibraryTest::s_loadResult = E_FAIL;

TEST_F(TypeLibraryTest, LibraryAndClassIdentity) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, m_lib->GetLibAttr(&attr));
    EXPECT_EQ(LIBID_QUILLONLib, attr->guid);
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(kPointer == 8 ? SYS_WIN64 : SYS_WIN32, attr->syskind);
    m_lib->ReleaseTLibAttr(attr);
    EXPECT_TRUE(TypeOf(CLSID_SoapRepository));
    EXPECT_EQ(std::vector<std::string>{"SoapRepository"}, NamesOfKind(TKIND_COCLASS));
    EXPECT_TRUE(NamesOfKind(TKIND_DISPATCH).empty());
}

// IQuillon first and default, then each family's interfaces oldest first,
// each deriving from the one before it (IJobQueue_60 is a base of
// IJobQueue_61 in the library but not in the class).
TEST_F(TypeLibraryTest, ClassListsItsInterfacesInChainOrder) {
    Ref<ITypeInfo> klass = TypeOf(CLSID_SoapRepository);
    ASSERT_TRUE(klass);
    auto attr = Attr(klass.get());
    EXPECT_EQ(TKIND_COCLASS, attr->typekind);
    EXPECT_NE(0, attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    ASSERT_EQ(46, attr->cImplTypes);
    std::vector<std::string> listed;
    std::string previous = "IUnknown";
    for (UINT i = 0; i < attr->cImplTypes; ++i) {
        Ref<ITypeInfo> iface = ImplType(klass.get(), i);
        ASSERT_TRUE(iface);
        const std::string name = NameOf(iface.get());
        SCOPED_TRACE(name);
        INT flags = -1;
        ASSERT_EQ(S_OK, klass->GetImplTypeFlags(i, &flags));
        EXPECT_EQ(i == 0 ? IMPLTYPEFLAG_FDEFAULT : 0, flags);
        const std::string base = NameOf(ImplType(iface.get(), 0).get());
        const bool chainStart = name.find('_') == std::string::npos;
        EXPECT_EQ(chainStart               ? "IUnknown"
                  : name == "IJobQueue_61" ? "IJobQueue_60"
                                           : previous,
                  base);
        listed.push_back(name);
        previous = name;
    }
    EXPECT_EQ(IID_IQuillon, Attr(ImplType(klass.get(), 0).get())->guid);
    std::vector<std::string> interfaces = NamesOfKind(TKIND_INTERFACE);
    EXPECT_EQ(47u, interfaces.size());
    std::erase(interfaces, "IJobQueue_60");
    EXPECT_EQ(listed, interfaces);
    EXPECT_EQ("IJobQueue_51", NameOf(ImplType(TypeOf(IID_IJobQueue_60).get(), 0).get()));
}

// Custom interfaces: neither dual nor dispatch nor automation, every method
// a pure virtual __stdcall function returning HRESULT, in consecutive table
// slots after those of the base.
TEST_F(TypeLibraryTest, EveryInterfaceIsCustomWithHresultMethodsInSlotOrder) {
    for (const std::string& name : NamesOfKind(TKIND_INTERFACE)) {
        SCOPED_TRACE(name);
        Ref<ITypeInfo> info = Type(name);
        ASSERT_TRUE(info);
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
// parameters, and the parameters the reply carries marked [out].
TEST_F(TypeLibraryTest, FamilyMethodsMatchTheGeneratedTables) {
    int families = 0;
    for (const catalog::FamilyEntry& family : catalog::Families()) {
        Ref<ITypeInfo> newest = TypeOf(family.sentInterface);
        if (!newest) continue;
        SCOPED_TRACE(family.key);
        ++families;
        struct Function {
            std::size_t slot;
            std::map<std::string, USHORT> paramFlags;
        };
        std::map<std::string, Function> functions;
        for (Ref<ITypeInfo> info = std::move(newest); info && NameOf(info.get()) != "IUnknown";
             info = ImplType(info.get(), 0)) {
            for (UINT f = 0; f < Attr(info.get())->cFuncs; ++f) {
                auto func = Func(info.get(), f);
                std::vector<std::string> names = Names(info.get(), func->memid);
                ASSERT_EQ(static_cast<std::size_t>(func->cParams) + 1, names.size());
                Function& entry = functions[names[0]];
                entry.slot = func->oVft / kPointer;
                for (SHORT p = 0; p < func->cParams; ++p)
                    entry.paramFlags[names[p + 1]] =
                        func->lprgelemdescParam[p].paramdesc.wParamFlags;
            }
        }
        EXPECT_EQ(family.methods.size(), functions.size());
        for (const catalog::MethodEntry& method : family.methods) {
            SCOPED_TRACE(method.name);
            auto found = functions.find(method.name);
            ASSERT_NE(functions.end(), found);
            EXPECT_EQ(method.slot, found->second.slot);
            const auto& flags = found->second.paramFlags;
            if (method.kind == catalog::MethodKind::kEmpty) {
                EXPECT_TRUE(flags.empty());
            }
            for (const catalog::WireItem& item : method.received)
                EXPECT_NE(0, flags.at(item.param) & PARAMFLAG_FOUT) << item.param;
            for (const catalog::WireItem& item : method.sent) {
                bool received = false;
                for (const catalog::WireItem& back : method.received)
                    received = received || std::string(back.param) == item.param;
                if (!received) {
                    EXPECT_EQ(0, flags.at(item.param) & PARAMFLAG_FOUT) << item.param;
                }
            }
        }
    }
    EXPECT_EQ(5, families);
}

TEST_F(TypeLibraryTest, EnumerationsKeepTheirSigned32BitValues) {
    EXPECT_EQ(16u, NamesOfKind(TKIND_ENUM).size());
    Ref<ITypeInfo> status = Type("_status");
    ASSERT_TRUE(status);
    auto attr = Attr(status.get());
    EXPECT_EQ(TKIND_ENUM, attr->typekind);
    EXPECT_EQ(4u, attr->cbSizeInstance);
    ASSERT_EQ(23, attr->cVars);
    std::map<std::string, LONG> values;
    for (UINT i = 0; i < attr->cVars; ++i) {
        auto var = Var(status.get(), i);
        ASSERT_EQ(VAR_CONST, var->varkind);
        ASSERT_EQ(VT_I4, V_VT(var->lpvarValue));
        values[Names(status.get(), var->memid)[0]] = V_I4(var->lpvarValue);
    }
    EXPECT_EQ(static_cast<LONG>(0x8C000000u), values["kJobUndefined"]);
    EXPECT_EQ(kJobDone, values["kJobDone"]);
}

// Every record of the library is byte-packed, except the platform's own,
// which keep their natural layout; a raw record is as large as its block.
// The update and security records are not described.
TEST_F(TypeLibraryTest, RecordsArePackedAndPlatformRecordsNatural) {
    struct Natural {
        std::size_t size, alignment;
    };
    const std::map<std::string, Natural> platform = {
        {"_SYSTEMTIME", {sizeof(SYSTEMTIME), alignof(SYSTEMTIME)}},
        {"_FILETIME", {sizeof(FILETIME), alignof(FILETIME)}},
        {"_ULARGE_INTEGER", {sizeof(ULARGE_INTEGER), alignof(ULARGE_INTEGER)}},
        {"_COSERVERINFO", {sizeof(COSERVERINFO), alignof(COSERVERINFO)}},
        {"_COAUTHINFO", {sizeof(COAUTHINFO), alignof(COAUTHINFO)}},
        {"_COAUTHIDENTITY", {sizeof(COAUTHIDENTITY), alignof(COAUTHIDENTITY)}},
        {"_TIME_ZONE_INFORMATION",
         {sizeof(TIME_ZONE_INFORMATION), alignof(TIME_ZONE_INFORMATION)}}};
    const std::set<std::string> outside = {"_updateInfo", "_sbsVersion", "_updateFileInfo",
                                           "_securitySettings", "_securitySettings40"};
    std::map<std::string, std::size_t> rawSizes;
    for (const catalog::RecordEntry& record : catalog::Records())
        if (record.rawSize != 0 && outside.count(record.name) == 0)
            rawSizes[record.name] = record.rawSize;
    int packed = 0;
    int platformSeen = 0;
    int raw = 0;
    for (const std::string& name : NamesOfKind(TKIND_RECORD)) {
        SCOPED_TRACE(name);
        EXPECT_EQ(0u, outside.count(name));
        Ref<ITypeInfo> info = Type(name);
        ASSERT_TRUE(info);
        auto attr = Attr(info.get());
        auto natural = platform.find(name);
        if (natural != platform.end()) {
            ++platformSeen;
            EXPECT_EQ(natural->second.size, attr->cbSizeInstance);
            EXPECT_EQ(natural->second.alignment, attr->cbAlignment);
            continue;
        }
        ++packed;
        EXPECT_EQ(1, attr->cbAlignment);
        if (rawSizes.count(name) != 0) {
            ++raw;
            EXPECT_EQ(rawSizes[name], attr->cbSizeInstance);
        }
    }
    EXPECT_EQ(7, platformSeen);
    EXPECT_EQ(88, packed);
    EXPECT_EQ(static_cast<int>(rawSizes.size()), raw);
}

struct FieldOffset {
    const char* record;
    const char* field;
    std::size_t offset;
    std::size_t recordSize;
};

#define QL_FIELD(type, field) \
    FieldOffset { #type, #field, offsetof(type, field), sizeof(type) }

// The last members of records of every kind (after pointers, narrow array
// counts, list links, nested records, strings, VARIANTs, times and
// enumerations), and the job list a meta-job specification sends last but
// declares before its last field.
const FieldOffset kFields[] = {
    QL_FIELD(_blockdescriptor, pExtBlock),
    QL_FIELD(_hashmatch, nextHashMatch),
    QL_FIELD(DeltaFP, pFP),
    QL_FIELD(_blobblockdesc_403, pBlockData),
    QL_FIELD(_PropertyDesc, Value),
    QL_FIELD(_VaultTimeInfo, TimeZoneInfo),
    QL_FIELD(_backupjobspec, IncludeItems),
    QL_FIELD(_filesystementry, pNextFileSystemEntry),
    QL_FIELD(_itemtoarchive, archiveFlag),
    QL_FIELD(GenRepXhange, m_strRepositoryComputerName),
    QL_FIELD(_metajobspec, Jobs),
    QL_FIELD(_metajobspec, ScheduledJob),
    QL_FIELD(_metajobspec403, Jobs),
    QL_FIELD(_metajobspec403, lMetaJobFlags),
    QL_FIELD(_RNSM_EVENT, MessageStatus),
    QL_FIELD(_RNSM_EVENT, aParamStrings),
};

#undef QL_FIELD

TEST_F(TypeLibraryTest, RecordFieldsSitAtTheirPackedOffsets) {
    for (const FieldOffset& f : kFields) {
        SCOPED_TRACE(std::string(f.record) + "." + f.field);
        Ref<ITypeInfo> info = Type(f.record);
        ASSERT_TRUE(info);
        auto attr = Attr(info.get());
        EXPECT_EQ(f.recordSize, attr->cbSizeInstance);
        bool found = false;
        for (UINT i = 0; i < attr->cVars; ++i) {
            auto var = Var(info.get(), i);
            if (Names(info.get(), var->memid)[0] != f.field) continue;
            found = true;
            EXPECT_EQ(VAR_PERINSTANCE, var->varkind);
            EXPECT_EQ(f.offset, static_cast<std::size_t>(var->oInst));
        }
        EXPECT_TRUE(found);
    }
    // The documented 32-bit figures of the event record: 66 bytes, the
    // strings at offset 30.
    EXPECT_EQ(kPointer == 4 ? 66u : 110u, sizeof(_RNSM_EVENT));
    EXPECT_EQ(kPointer == 4 ? 30u : 38u, offsetof(_RNSM_EVENT, aParamStrings));
    // A field-by-field record is packed too: 18 bytes of numbers, two pointers.
    EXPECT_EQ(18 + 2 * kPointer, sizeof(_blockdescriptor));
}

}  // namespace
}  // namespace ql
