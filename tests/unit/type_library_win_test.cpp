// The type library the DLL carries as resource TYPELIB 1, read back through
// the system's loader: the library and its class, the custom interfaces in
// slot order, the enumerations, and the records with the byte-packed layout
// of catalogue/records.h.
#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/records.h"
#include "support/base/com_types.h"

#ifndef QL_TEST_QUILLON_DLL
#error "QL_TEST_QUILLON_DLL (path of the built DLL) is defined by tests/CMakeLists.txt"
#endif

namespace ql {
namespace {

constexpr std::size_t kPointer = sizeof(void*);

// Releases a COM interface.
template <class T>
class Ref {
public:
    Ref() = default;
    ~Ref() { Reset(); }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    Ref& operator=(Ref&& other) noexcept {
        if (this != &other) {
            Reset();
            m_p = other.m_p;
            other.m_p = nullptr;
        }
        return *this;
    }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    T** Out() {
        Reset();
        return &m_p;
    }
    explicit operator bool() const { return m_p != nullptr; }

private:
    void Reset() {
        if (m_p != nullptr) m_p->Release();
        m_p = nullptr;
    }
    T* m_p = nullptr;
};

// A type information's attributes, released with it.
class TypeAttr {
public:
    explicit TypeAttr(ITypeInfo* info) : m_info(info) {
        if (FAILED(info->GetTypeAttr(&m_attr))) m_attr = nullptr;
    }
    ~TypeAttr() {
        if (m_attr != nullptr) m_info->ReleaseTypeAttr(m_attr);
    }
    TypeAttr(const TypeAttr&) = delete;
    TypeAttr& operator=(const TypeAttr&) = delete;
    const TYPEATTR* operator->() const { return m_attr; }
    bool Valid() const { return m_attr != nullptr; }

private:
    ITypeInfo* m_info;
    TYPEATTR* m_attr = nullptr;
};

class FuncDesc {
public:
    FuncDesc(ITypeInfo* info, UINT index) : m_info(info) {
        if (FAILED(info->GetFuncDesc(index, &m_desc))) m_desc = nullptr;
    }
    ~FuncDesc() {
        if (m_desc != nullptr) m_info->ReleaseFuncDesc(m_desc);
    }
    FuncDesc(const FuncDesc&) = delete;
    FuncDesc& operator=(const FuncDesc&) = delete;
    const FUNCDESC* operator->() const { return m_desc; }
    bool Valid() const { return m_desc != nullptr; }

private:
    ITypeInfo* m_info;
    FUNCDESC* m_desc = nullptr;
};

class VarDesc {
public:
    VarDesc(ITypeInfo* info, UINT index) : m_info(info) {
        if (FAILED(info->GetVarDesc(index, &m_desc))) m_desc = nullptr;
    }
    ~VarDesc() {
        if (m_desc != nullptr) m_info->ReleaseVarDesc(m_desc);
    }
    VarDesc(const VarDesc&) = delete;
    VarDesc& operator=(const VarDesc&) = delete;
    const VARDESC* operator->() const { return m_desc; }
    bool Valid() const { return m_desc != nullptr; }

private:
    ITypeInfo* m_info;
    VARDESC* m_desc = nullptr;
};

std::wstring Take(BSTR text) {
    std::wstring result = text != nullptr ? std::wstring(text, SysStringLen(text)) : L"";
    SysFreeString(text);
    return result;
}

std::wstring NameOf(ITypeInfo* info) {
    BSTR name = nullptr;
    if (FAILED(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr)))
        return L"<no name>";
    return Take(name);
}

std::wstring MemberName(ITypeInfo* info, MEMBERID id) {
    BSTR name = nullptr;
    UINT count = 0;
    if (FAILED(info->GetNames(id, &name, 1, &count)) || count != 1) return L"<no name>";
    return Take(name);
}

GUID Guid(const wchar_t* text) {
    GUID guid{};
    EXPECT_EQ(CLSIDFromString(text, &guid), S_OK) << text;
    return guid;
}

// The DLL's path as the build wrote it; a Unix path (a build run under
// Wine) is reached through drive Z:.
std::wstring DllPath() {
    const std::string built = QL_TEST_QUILLON_DLL;
    std::wstring path(built.size(), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, built.data(), static_cast<int>(built.size()),
                                           path.data(), static_cast<int>(path.size()));
    path.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

// The library's type information of the given name, or none.
Ref<ITypeInfo> FindType(ITypeLib* library, const std::wstring& name) {
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        Ref<ITypeInfo> info;
        if (SUCCEEDED(library->GetTypeInfo(i, info.Out())) && NameOf(info.Get()) == name)
            return info;
    }
    return {};
}

// The interface an interface derives from, or the class's implemented type.
Ref<ITypeInfo> ImplType(ITypeInfo* info, UINT index) {
    Ref<ITypeInfo> ref;
    HREFTYPE handle = 0;
    if (SUCCEEDED(info->GetRefTypeOfImplType(index, &handle))) {
        EXPECT_EQ(info->GetRefTypeInfo(handle, ref.Out()), S_OK);
    }
    return ref;
}

// Index of the variable (field, constant) of the given name, or -1.
int FindVariable(ITypeInfo* info, const std::wstring& name) {
    TypeAttr attr(info);
    for (UINT i = 0; attr.Valid() && i < attr->cVars; ++i) {
        VarDesc var(info, i);
        if (var.Valid() && MemberName(info, var->memid) == name) return static_cast<int>(i);
    }
    return -1;
}

// Index of the function of the given name, or -1.
int FindFunction(ITypeInfo* info, const std::wstring& name) {
    TypeAttr attr(info);
    for (UINT i = 0; attr.Valid() && i < attr->cFuncs; ++i) {
        FuncDesc func(info, i);
        if (func.Valid() && MemberName(info, func->memid) == name) return static_cast<int>(i);
    }
    return -1;
}

std::wstring UserTypeName(ITypeInfo* info, const TYPEDESC& desc) {
    if (desc.vt != VT_USERDEFINED) return L"<not user defined>";
    Ref<ITypeInfo> ref;
    if (FAILED(info->GetRefTypeInfo(desc.hreftype, ref.Out()))) return L"<no type>";
    return NameOf(ref.Get());
}

class TypeLibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_library = new Ref<ITypeLib>();
        s_loadResult = LoadTypeLibEx(DllPath().c_str(), REGKIND_NONE, s_library->Out());
    }
    static void TearDownTestSuite() {
        delete s_library;
        s_library = nullptr;
    }
    void SetUp() override {
        ASSERT_EQ(s_loadResult, S_OK) << "LoadTypeLibEx of the DLL's type library failed";
        m_lib = s_library->Get();
        ASSERT_NE(m_lib, nullptr);
    }

    Ref<ITypeInfo> Type(const std::wstring& name) const {
        Ref<ITypeInfo> info = FindType(m_lib, name);
        EXPECT_TRUE(info) << "no type " << std::string(name.begin(), name.end());
        return info;
    }

    // The library's type informations of one kind, by name.
    std::vector<std::wstring> NamesOfKind(TYPEKIND kind) const {
        std::vector<std::wstring> names;
        for (UINT i = 0; i < m_lib->GetTypeInfoCount(); ++i) {
            TYPEKIND k{};
            if (SUCCEEDED(m_lib->GetTypeInfoType(i, &k)) && k == kind) {
                BSTR name = nullptr;
                if (SUCCEEDED(m_lib->GetDocumentation(static_cast<INT>(i), &name, nullptr, nullptr,
                                                      nullptr)))
                    names.push_back(Take(name));
            }
        }
        return names;
    }

    static Ref<ITypeLib>* s_library;
    static HRESULT s_loadResult;
    ITypeLib* m_lib = nullptr;
};

Ref<ITypeLib>* TypeLibraryTest::s_library = nullptr;
HRESULT TypeLibraryTest::s_loadResult = E_FAIL;

const std::vector<std::wstring> kClassInterfaces = {
    L"IQuillon",
    L"IDSFileSystem",
    L"IDSFileSystem_40",
    L"IDSFileSystem_403",
    L"IDSFileSystem_57",
    L"IDSFileSystem_60",
    L"IDSFileSystem_61",
    L"IDSFileSystem_62",
    L"IDSFileSystemView",
    L"IDSFileSystemView_40",
    L"IDSFileSystemView_402",
    L"IDSFileSystemView_45",
    L"IDSFileSystemView_46",
    L"IDSFileSystemView_57",
    L"IDSFileSystemView_60",
    L"IDSFileSystemView_61",
    L"IDSFileSystemView_62",
    L"IDSFileSystemView_622",
    L"IDSVault",
    L"IDSVault_40",
    L"IDSVault_402",
    L"IDSVault_403",
    L"IDSVault_46",
    L"IDSVault_51",
    L"IDSVault_60",
    L"IDSVault_61",
    L"IDSVault_62",
    L"IDSVault_621",
    L"IDSSBS",
    L"IDSSBS_40",
    L"IDSSBS_401",
    L"IDSSBS_402",
    L"IDSSBS_403",
    L"IDSSBS_45",
    L"IDSSBS_46",
    L"IDSSBS_57",
    L"IDSSBS_61",
    L"IDSSBS_62",
    L"IDSSBS_621",
    L"IJobQueue",
    L"IJobQueue_401",
    L"IJobQueue_403",
    L"IJobQueue_51",
    L"IJobQueue_61",
    L"IJobQueue_62",
    L"IJobQueue_621",
};

TEST(TypeLibraryResource, DllCarriesTypelibResourceOne) {
    HMODULE module = LoadLibraryExW(DllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << "cannot open " << QL_TEST_QUILLON_DLL;
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), L"TYPELIB");
    ASSERT_NE(resource, nullptr);
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    ASSERT_NE(loaded, nullptr);
    const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
    ASSERT_NE(bytes, nullptr);
    ASSERT_GT(size, 4u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), 4), "MSFT");
    FreeLibrary(module);
}

TEST_F(TypeLibraryTest, LibraryAttributes) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(m_lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, Guid(L"{D4DD7755-E6BB-4423-866B-8A74DDB96770}"));
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_EQ(attr->lcid, 1033u);
    EXPECT_EQ(attr->syskind, kPointer == 8 ? SYS_WIN64 : SYS_WIN32);
    m_lib->ReleaseTLibAttr(attr);

    BSTR name = nullptr;
    BSTR help = nullptr;
    ASSERT_EQ(m_lib->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_EQ(Take(name), L"QUILLONLib");
    EXPECT_EQ(Take(help), L"ZelSoapRepository 1.0 Type Library");
}

TEST_F(TypeLibraryTest, ClassListsItsInterfacesInOrderWithIQuillonAsDefault) {
    Ref<ITypeInfo> klass;
    ASSERT_EQ(
        m_lib->GetTypeInfoOfGuid(Guid(L"{BAD929BA-8740-4BE1-B3AA-B0AB6237E0A2}"), klass.Out()),
        S_OK);
    TypeAttr attr(klass.Get());
    ASSERT_TRUE(attr.Valid());
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_NE(attr->wTypeFlags & TYPEFLAG_FCANCREATE, 0);
    ASSERT_EQ(attr->cImplTypes, 46);

    BSTR name = nullptr;
    BSTR help = nullptr;
    ASSERT_EQ(klass->GetDocumentation(MEMBERID_NIL, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_EQ(Take(name), L"SoapRepository");
    EXPECT_EQ(Take(help), L"ISoapRepository Class");

    std::vector<std::wstring> listed;
    for (UINT i = 0; i < attr->cImplTypes; ++i) {
        Ref<ITypeInfo> iface = ImplType(klass.Get(), i);
        ASSERT_TRUE(iface);
        listed.push_back(NameOf(iface.Get()));
        INT flags = -1;
        ASSERT_EQ(klass->GetImplTypeFlags(i, &flags), S_OK);
        EXPECT_EQ(flags, i == 0 ? IMPLTYPEFLAG_FDEFAULT : 0) << "implemented type " << i;
    }
    EXPECT_EQ(listed, kClassInterfaces);

    Ref<ITypeInfo> first = ImplType(klass.Get(), 0);
    ASSERT_TRUE(first);
    TypeAttr firstAttr(first.Get());
    ASSERT_TRUE(firstAttr.Valid());
    EXPECT_EQ(firstAttr->guid, Guid(L"{7DAEE74C-CC99-4443-AEE2-BEE1CFAB103D}"));
}

TEST_F(TypeLibraryTest, JobQueue60IsInTheLibraryButNotInTheClass) {
    Ref<ITypeInfo> iface;
    ASSERT_EQ(
        m_lib->GetTypeInfoOfGuid(Guid(L"{18D5524D-28F6-4E60-8284-B7B0E32168EE}"), iface.Out()),
        S_OK);
    EXPECT_EQ(NameOf(iface.Get()), L"IJobQueue_60");
    TypeAttr attr(iface.Get());
    ASSERT_TRUE(attr.Valid());
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attr->cFuncs, 1);
    Ref<ITypeInfo> base = ImplType(iface.Get(), 0);
    ASSERT_TRUE(base);
    EXPECT_EQ(NameOf(base.Get()), L"IJobQueue_51");
    // IJobQueue_61 derives from it.
    Ref<ITypeInfo> next = Type(L"IJobQueue_61");
    ASSERT_TRUE(next);
    Ref<ITypeInfo> nextBase = ImplType(next.Get(), 0);
    ASSERT_TRUE(nextBase);
    EXPECT_EQ(NameOf(nextBase.Get()), L"IJobQueue_60");

    for (const std::wstring& listed : kClassInterfaces) {
        EXPECT_NE(listed, L"IJobQueue_60");
    }
}

TEST_F(TypeLibraryTest, HoldsTheFortySevenInterfacesAndNoDispatchInterface) {
    std::vector<std::wstring> interfaces = NamesOfKind(TKIND_INTERFACE);
    std::vector<std::wstring> expected = kClassInterfaces;
    expected.insert(expected.begin() + 43, L"IJobQueue_60");
    EXPECT_EQ(interfaces, expected);
    EXPECT_TRUE(NamesOfKind(TKIND_DISPATCH).empty());
    EXPECT_EQ(NamesOfKind(TKIND_COCLASS), std::vector<std::wstring>{L"SoapRepository"});
}

// Custom interfaces: neither dual nor dispatch nor automation, one base,
// every method a pure virtual __stdcall function returning HRESULT, in
// consecutive table slots after those of the base.
TEST_F(TypeLibraryTest, EveryInterfaceIsCustomWithHresultMethodsInSlotOrder) {
    int checked = 0;
    for (UINT i = 0; i < m_lib->GetTypeInfoCount(); ++i) {
        TYPEKIND kind{};
        ASSERT_EQ(m_lib->GetTypeInfoType(i, &kind), S_OK);
        if (kind != TKIND_INTERFACE) continue;
        Ref<ITypeInfo> info;
        ASSERT_EQ(m_lib->GetTypeInfo(i, info.Out()), S_OK);
        const std::wstring name = NameOf(info.Get());
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        TypeAttr attr(info.Get());
        ASSERT_TRUE(attr.Valid());
        EXPECT_EQ(
            attr->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE | TYPEFLAG_FOLEAUTOMATION),
            0);
        ASSERT_EQ(attr->cImplTypes, 1);
        Ref<ITypeInfo> base = ImplType(info.Get(), 0);
        ASSERT_TRUE(base);
        TypeAttr baseAttr(base.Get());
        ASSERT_TRUE(baseAttr.Valid());
        EXPECT_NE(NameOf(base.Get()), L"IDispatch");
        EXPECT_EQ(static_cast<std::size_t>(attr->cbSizeVft),
                  baseAttr->cbSizeVft + attr->cFuncs * kPointer);
        for (UINT f = 0; f < attr->cFuncs; ++f) {
            FuncDesc func(info.Get(), f);
            ASSERT_TRUE(func.Valid());
            EXPECT_EQ(func->funckind, FUNC_PUREVIRTUAL);
            EXPECT_EQ(func->invkind, INVOKE_FUNC);
            EXPECT_EQ(func->callconv, CC_STDCALL);
            EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_HRESULT);
            EXPECT_EQ(static_cast<std::size_t>(func->oVft),
                      baseAttr->cbSizeVft + std::size_t{f} * kPointer);
        }
        ++checked;
    }
    EXPECT_EQ(checked, 47);
}

TEST_F(TypeLibraryTest, InterfaceChainsAndMethodCounts) {
    Ref<ITypeInfo> fs = Type(L"IDSFileSystem");
    ASSERT_TRUE(fs);
    TypeAttr fsAttr(fs.Get());
    ASSERT_TRUE(fsAttr.Valid());
    EXPECT_EQ(fsAttr->guid, Guid(L"{CB469285-8BCB-11D2-AA9C-00C04FA37111}"));
    EXPECT_EQ(fsAttr->cFuncs, 31);
    EXPECT_EQ(static_cast<std::size_t>(fsAttr->cbSizeVft), (3 + 31) * kPointer);
    Ref<ITypeInfo> unknown = ImplType(fs.Get(), 0);
    ASSERT_TRUE(unknown);
    EXPECT_EQ(NameOf(unknown.Get()), L"IUnknown");
    TypeAttr unknownAttr(unknown.Get());
    ASSERT_TRUE(unknownAttr.Valid());
    EXPECT_EQ(unknownAttr->guid, IID_IUnknown);

    Ref<ITypeInfo> fs62 = Type(L"IDSFileSystem_62");
    ASSERT_TRUE(fs62);
    Ref<ITypeInfo> fs61 = ImplType(fs62.Get(), 0);
    ASSERT_TRUE(fs61);
    EXPECT_EQ(NameOf(fs61.Get()), L"IDSFileSystem_61");

    Ref<ITypeInfo> control = Type(L"IQuillon");
    ASSERT_TRUE(control);
    TypeAttr controlAttr(control.Get());
    ASSERT_TRUE(controlAttr.Valid());
    EXPECT_EQ(controlAttr->cFuncs, 5);
    Ref<ITypeInfo> controlBase = ImplType(control.Get(), 0);
    ASSERT_TRUE(controlBase);
    EXPECT_EQ(NameOf(controlBase.Get()), L"IUnknown");

    Ref<ITypeInfo> vault = Type(L"IDSVault");
    ASSERT_TRUE(vault);
    TypeAttr vaultAttr(vault.Get());
    ASSERT_TRUE(vaultAttr.Valid());
    EXPECT_EQ(vaultAttr->cFuncs, 44);
}

// The slots that hold a place without a method of the server stay in the
// table, as methods without parameters.
TEST_F(TypeLibraryTest, VaultPlaceholderSlotsStayInPlace) {
    Ref<ITypeInfo> vault = Type(L"IDSVault");
    ASSERT_TRUE(vault);
    const struct {
        const wchar_t* name;
        UINT slot;
    } expected[] = {{L"Reserved15", 15},
                    {L"Reserved19", 19},
                    {L"Reserved20", 20},
                    {L"GetVaultCapacity", 3},
                    {L"AddVaultMachineGroup", 16}};
    for (const auto& e : expected) {
        FuncDesc func(vault.Get(), e.slot - 3);
        ASSERT_TRUE(func.Valid());
        EXPECT_EQ(MemberName(vault.Get(), func->memid), e.name);
        EXPECT_EQ(static_cast<std::size_t>(func->oVft), e.slot * kPointer);
        if (std::wstring(e.name).starts_with(L"Reserved")) {
            EXPECT_EQ(func->cParams, 0);
        }
    }
}

TEST_F(TypeLibraryTest, ParameterDirectionsAndTypes) {
    Ref<ITypeInfo> vault = Type(L"IDSVault");
    ASSERT_TRUE(vault);
    const int index = FindFunction(vault.Get(), L"GetVaultCapacity");
    ASSERT_GE(index, 0);
    FuncDesc func(vault.Get(), static_cast<UINT>(index));
    ASSERT_TRUE(func.Valid());
    ASSERT_EQ(func->cParams, 3);
    const ELEMDESC* params = func->lprgelemdescParam;
    EXPECT_EQ(params[0].tdesc.vt, VT_BSTR);
    EXPECT_EQ(params[0].paramdesc.wParamFlags, PARAMFLAG_FIN);
    ASSERT_EQ(params[1].tdesc.vt, VT_PTR);
    EXPECT_EQ(params[1].tdesc.lptdesc->vt, VT_I8);
    EXPECT_EQ(params[1].paramdesc.wParamFlags, PARAMFLAG_FOUT);
    ASSERT_EQ(params[2].tdesc.vt, VT_PTR);
    EXPECT_EQ(UserTypeName(vault.Get(), *params[2].tdesc.lptdesc), L"_RNSM_EVENT");
    EXPECT_EQ(params[2].paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOUT);

    // A parameter the catalogue gives no direction has none.
    Ref<ITypeInfo> fs57 = Type(L"IDSFileSystem_57");
    ASSERT_TRUE(fs57);
    const int reserve = FindFunction(fs57.Get(), L"SetRawStorageIsReservingSpace");
    ASSERT_GE(reserve, 0);
    FuncDesc reserveFunc(fs57.Get(), static_cast<UINT>(reserve));
    ASSERT_TRUE(reserveFunc.Valid());
    ASSERT_EQ(reserveFunc->cParams, 1);
    EXPECT_EQ(reserveFunc->lprgelemdescParam[0].tdesc.vt, VT_INT);
    EXPECT_EQ(reserveFunc->lprgelemdescParam[0].paramdesc.wParamFlags, 0);

    // IQuillon::CreateInterface hands back an interface pointer.
    Ref<ITypeInfo> control = Type(L"IQuillon");
    ASSERT_TRUE(control);
    const int create = FindFunction(control.Get(), L"CreateInterface");
    ASSERT_EQ(create, 2);
    FuncDesc createFunc(control.Get(), 2);
    ASSERT_TRUE(createFunc.Valid());
    ASSERT_EQ(createFunc->cParams, 4);
    const TYPEDESC& server = createFunc->lprgelemdescParam[2].tdesc;
    ASSERT_EQ(server.vt, VT_PTR);
    EXPECT_EQ(UserTypeName(control.Get(), *server.lptdesc), L"_COSERVERINFO");
    const ELEMDESC& out = createFunc->lprgelemdescParam[3];
    EXPECT_EQ(out.paramdesc.wParamFlags, PARAMFLAG_FOUT);
    ASSERT_EQ(out.tdesc.vt, VT_PTR);
    EXPECT_EQ(out.tdesc.lptdesc->vt, VT_UNKNOWN);  // VT_UNKNOWN is the IUnknown*
}

TEST_F(TypeLibraryTest, EnumerationsKeepTheirSigned32BitValues) {
    EXPECT_EQ(NamesOfKind(TKIND_ENUM).size(), 16u);
    Ref<ITypeInfo> status = Type(L"_status");
    ASSERT_TRUE(status);
    TypeAttr attr(status.Get());
    ASSERT_TRUE(attr.Valid());
    EXPECT_EQ(attr->typekind, TKIND_ENUM);
    EXPECT_EQ(attr->cbSizeInstance, 4u);
    ASSERT_EQ(attr->cVars, 23);
    bool sawDone = false;
    for (UINT i = 0; i < attr->cVars; ++i) {
        VarDesc var(status.Get(), i);
        ASSERT_TRUE(var.Valid());
        ASSERT_EQ(var->varkind, VAR_CONST);
        ASSERT_EQ(V_VT(var->lpvarValue), VT_I4);
        const std::wstring name = MemberName(status.Get(), var->memid);
        if (i == 0) {
            EXPECT_EQ(name, L"kJobUndefined");
            EXPECT_EQ(V_I4(var->lpvarValue), static_cast<LONG>(0x8C000000u));
        }
        if (name == L"kJobDone") {
            EXPECT_EQ(V_I4(var->lpvarValue), -1946140672);
            EXPECT_EQ(V_I4(var->lpvarValue), kJobDone);
            sawDone = true;
        }
    }
    EXPECT_TRUE(sawDone);
}

struct RecordSize {
    const wchar_t* name;
    std::size_t size;
};

#define QL_RECORD(type) \
    RecordSize { L"" #type, sizeof(type) }

// Raw records of every odd size, and field-by-field records with every kind
// of member: pointers, arrays with 32-, 16- and 8-bit counts, blocks, list
// links, nested records, strings, GUIDs, VARIANTs, times and enumerations.
const RecordSize kRecords[] = {
    QL_RECORD(_datablockdescriptor),
    QL_RECORD(_extblockdescriptor),
    QL_RECORD(_blockdescriptor),
    QL_RECORD(_physicalfilehash),
    QL_RECORD(_hashmatch),
    QL_RECORD(_blobkey),
    QL_RECORD(_blobblockdesc),
    QL_RECORD(_blobblockdesc_403),
    QL_RECORD(_diskBlockInfo),
    QL_RECORD(_revisioninfo),
    QL_RECORD(DeltaFPInitStruct),
    QL_RECORD(FPrint),
    QL_RECORD(DeltaFP),
    QL_RECORD(_rawVolumeEx),
    QL_RECORD(_created_revision),
    QL_RECORD(_volumeinfo),
    QL_RECORD(_rnsm_filedescriptor),
    QL_RECORD(_filesystementry),
    QL_RECORD(_itemToMarkDelete),
    QL_RECORD(_markedRecords),
    QL_RECORD(_itemtoarchive),
    QL_RECORD(_VolumeBackupsList),
    QL_RECORD(GenRepXhange),
    QL_RECORD(_sbsinfo),
    QL_RECORD(_sbskeyinfo),
    QL_RECORD(_PropertyDesc),
    QL_RECORD(_VaultTimeInfo),
    QL_RECORD(_sbsmetajob),
    QL_RECORD(_jobstatus),
    QL_RECORD(_backupjobspec),
    QL_RECORD(_jobspec),
    QL_RECORD(_metajobspec),
    QL_RECORD(_backupschedule),
    QL_RECORD(_backedUpVolume),
    QL_RECORD(_commonProperty402),
    QL_RECORD(_backupjoblog),
    QL_RECORD(_metajobs),
    QL_RECORD(_manualBackupSpec),
    QL_RECORD(_metaJobCompletionLog),
    QL_RECORD(_metajobspec403),
    QL_RECORD(_userActivityLog),
    QL_RECORD(_DiskFileInfo61),
};

TEST_F(TypeLibraryTest, RecordsHaveThePackedSizesOfTheirStructs) {
    for (const RecordSize& r : kRecords) {
        SCOPED_TRACE(std::string(r.name, r.name + wcslen(r.name)));
        Ref<ITypeInfo> info = Type(r.name);
        ASSERT_TRUE(info);
        TypeAttr attr(info.Get());
        ASSERT_TRUE(attr.Valid());
        EXPECT_EQ(attr->typekind, TKIND_RECORD);
        EXPECT_EQ(static_cast<std::size_t>(attr->cbSizeInstance), r.size);
        EXPECT_EQ(attr->cbAlignment, 1);
    }
    // A field-by-field record is packed too: 18 bytes of numbers, two pointers.
    EXPECT_EQ(sizeof(_blockdescriptor), 18 + 2 * kPointer);
}

struct FieldOffset {
    const wchar_t* record;
    const wchar_t* field;
    std::size_t offset;
};

#define QL_FIELD(type, field) \
    FieldOffset { L"" #type, L"" #field, offsetof(type, field) }

const FieldOffset kFields[] = {
    QL_FIELD(_sbsmetajob, endTime),
    QL_FIELD(_sbsmetajob, jobSpecType),
    QL_FIELD(_backupjoblog, TotalNumberOfDirs),
    QL_FIELD(_backupjoblog, IsArchive),
    QL_FIELD(_extblockdescriptor, parentPhysicalID),
    QL_FIELD(_blockdescriptor, volumeID),
    QL_FIELD(_blockdescriptor, pDataBlock),
    QL_FIELD(_blockdescriptor, pExtBlock),
    QL_FIELD(_hashmatch, numMatches),
    QL_FIELD(_hashmatch, pPhysicalFileList),
    QL_FIELD(_hashmatch, nextHashMatch),
    QL_FIELD(DeltaFP, MatchCount),
    QL_FIELD(DeltaFP, count),
    QL_FIELD(DeltaFP, pFP),
    QL_FIELD(_blobblockdesc_403, lMetaJobKey),
    QL_FIELD(_blobblockdesc_403, pBlockData),
    QL_FIELD(_PropertyDesc, Value),
    QL_FIELD(_PropertyDesc, Inherited),
    QL_FIELD(_VaultTimeInfo, TimeZoneInfo),
    QL_FIELD(_VaultTimeInfo, bUseDayLight),
    QL_FIELD(_metajobspec, JobStatus),
    QL_FIELD(_metajobspec, NumberOfJobs),
    QL_FIELD(_metajobspec, Jobs),
    QL_FIELD(_backupjobspec, NumberOfIncludeItems),
    QL_FIELD(_backupjobspec, IncludeItems),
    QL_FIELD(_filesystementry, pNextFileSystemEntry),
    QL_FIELD(_itemtoarchive, archiveFlag),
};

TEST_F(TypeLibraryTest, RecordFieldsSitAtTheirPackedOffsets) {
    for (const FieldOffset& f : kFields) {
        SCOPED_TRACE(std::string(f.record, f.record + wcslen(f.record)) + "." +
                     std::string(f.field, f.field + wcslen(f.field)));
        Ref<ITypeInfo> info = Type(f.record);
        ASSERT_TRUE(info);
        TypeAttr attr(info.Get());
        ASSERT_TRUE(attr.Valid());
        const int index = FindVariable(info.Get(), f.field);
        ASSERT_GE(index, 0);
        VarDesc var(info.Get(), static_cast<UINT>(index));
        ASSERT_TRUE(var.Valid());
        EXPECT_EQ(var->varkind, VAR_PERINSTANCE);
        EXPECT_EQ(static_cast<std::size_t>(var->oInst), f.offset);
    }
}

TEST_F(TypeLibraryTest, FieldsKeepTheirDeclaredTypes) {
    Ref<ITypeInfo> metajob = Type(L"_metajobspec");
    ASSERT_TRUE(metajob);
    VarDesc type(metajob.Get(), 0);
    ASSERT_TRUE(type.Valid());
    EXPECT_EQ(MemberName(metajob.Get(), type->memid), L"MetaJobType");
    EXPECT_EQ(UserTypeName(metajob.Get(), type->elemdescVar.tdesc), L"_metajobtype");

    Ref<ITypeInfo> genRep = Type(L"GenRepXhange");
    ASSERT_TRUE(genRep);
    const int index = FindVariable(genRep.Get(), L"m_strRepositoryComputerName");
    ASSERT_EQ(index, 36);
    VarDesc name(genRep.Get(), static_cast<UINT>(index));
    ASSERT_TRUE(name.Valid());
    EXPECT_EQ(name->oInst, offsetof(GenRepXhange, m_strRepositoryComputerName));
    ASSERT_EQ(name->elemdescVar.tdesc.vt, VT_CARRAY);
    EXPECT_EQ(name->elemdescVar.tdesc.lpadesc->cDims, 1);
    EXPECT_EQ(name->elemdescVar.tdesc.lpadesc->rgbounds[0].cElements, 32u);
    EXPECT_EQ(name->elemdescVar.tdesc.lpadesc->tdescElem.vt, VT_I1);
}

TEST_F(TypeLibraryTest, DescribesTheLibraryRecordsAndThePlatformOnes) {
    const std::set<std::wstring> platform = {
        L"_SYSTEMTIME", L"_FILETIME",       L"_ULARGE_INTEGER",       L"_COSERVERINFO",
        L"_COAUTHINFO", L"_COAUTHIDENTITY", L"_TIME_ZONE_INFORMATION"};
    const std::set<std::wstring> outside = {L"_updateInfo", L"_sbsVersion", L"_updateFileInfo",
                                            L"_securitySettings", L"_securitySettings40"};
    std::set<std::wstring> seenPlatform;
    int packed = 0;
    for (const std::wstring& name : NamesOfKind(TKIND_RECORD)) {
        EXPECT_EQ(outside.count(name), 0u) << std::string(name.begin(), name.end());
        if (platform.count(name) != 0) {
            seenPlatform.insert(name);
            continue;
        }
        Ref<ITypeInfo> info = Type(name);
        ASSERT_TRUE(info);
        TypeAttr attr(info.Get());
        ASSERT_TRUE(attr.Valid());
        EXPECT_EQ(attr->cbAlignment, 1) << std::string(name.begin(), name.end());
        ++packed;
    }
    EXPECT_EQ(seenPlatform, platform);
    EXPECT_EQ(packed, 88);
}

// The platform's records keep their natural layout.
TEST_F(TypeLibraryTest, PlatformRecordsKeepTheirNaturalLayout) {
    struct Natural {
        const wchar_t* name;
        std::size_t size;
        std::size_t alignment;
    };
#define QL_NATURAL(name, type) \
    Natural { name, sizeof(type), alignof(type) }
    const Natural natural[] = {QL_NATURAL(L"_SYSTEMTIME", SYSTEMTIME),
                               QL_NATURAL(L"_TIME_ZONE_INFORMATION", TIME_ZONE_INFORMATION),
                               QL_NATURAL(L"_COSERVERINFO", COSERVERINFO),
                               QL_NATURAL(L"_COAUTHINFO", COAUTHINFO),
                               QL_NATURAL(L"_COAUTHIDENTITY", COAUTHIDENTITY)};
#undef QL_NATURAL
    for (const Natural& r : natural) {
        SCOPED_TRACE(std::string(r.name, r.name + wcslen(r.name)));
        Ref<ITypeInfo> info = Type(r.name);
        ASSERT_TRUE(info);
        TypeAttr attr(info.Get());
        ASSERT_TRUE(attr.Valid());
        EXPECT_EQ(static_cast<std::size_t>(attr->cbSizeInstance), r.size);
        EXPECT_EQ(static_cast<std::size_t>(attr->cbAlignment), r.alignment);
    }
}

// The event record is one of the library's records: byte-packed, every
// field where the struct has it.
TEST_F(TypeLibraryTest, EventRecordIsBytePacked) {
    const FieldOffset fields[] = {
        QL_FIELD(_RNSM_EVENT, DwordOurCode),    QL_FIELD(_RNSM_EVENT, DwordSystemCode),
        QL_FIELD(_RNSM_EVENT, pNext),           QL_FIELD(_RNSM_EVENT, LogDestination),
        QL_FIELD(_RNSM_EVENT, BstringFileName), QL_FIELD(_RNSM_EVENT, DwordLineNumber),
        QL_FIELD(_RNSM_EVENT, MessageStatus),   QL_FIELD(_RNSM_EVENT, NumParamStrings),
        QL_FIELD(_RNSM_EVENT, aParamStrings),
    };
    Ref<ITypeInfo> event = Type(L"_RNSM_EVENT");
    ASSERT_TRUE(event);
    TypeAttr attr(event.Get());
    ASSERT_TRUE(attr.Valid());
    EXPECT_EQ(attr->typekind, TKIND_RECORD);
    EXPECT_EQ(attr->cbAlignment, 1);
    EXPECT_EQ(static_cast<std::size_t>(attr->cbSizeInstance), sizeof(_RNSM_EVENT));
    ASSERT_EQ(attr->cVars, std::size(fields));
    for (UINT i = 0; i < std::size(fields); ++i) {
        SCOPED_TRACE(std::string(fields[i].field, fields[i].field + wcslen(fields[i].field)));
        VarDesc var(event.Get(), i);
        ASSERT_TRUE(var.Valid());
        EXPECT_EQ(MemberName(event.Get(), var->memid), fields[i].field);
        EXPECT_EQ(static_cast<std::size_t>(var->oInst), fields[i].offset);
    }
    // The documented 32-bit figures: 66 bytes, the strings at offset 30.
    VarDesc strings(event.Get(), 8);
    ASSERT_TRUE(strings.Valid());
    using SizeAndOffset = std::pair<std::size_t, std::size_t>;
    EXPECT_EQ(SizeAndOffset(attr->cbSizeInstance, strings->oInst),
              kPointer == 4 ? SizeAndOffset(66, 30) : SizeAndOffset(110, 38));
}

// The job list of a meta-job specification travels last but is declared
// before the last field on the wire (ScheduledJob, lMetaJobFlags).
TEST_F(TypeLibraryTest, MetaJobSpecsDeclareTheirJobsBeforeTheirLastWireField) {
    const FieldOffset tails[][4] = {
        {QL_FIELD(_metajobspec, ComputerName), QL_FIELD(_metajobspec, NumberOfJobs),
         QL_FIELD(_metajobspec, Jobs), QL_FIELD(_metajobspec, ScheduledJob)},
        {QL_FIELD(_metajobspec403, ComputerName), QL_FIELD(_metajobspec403, NumberOfJobs),
         QL_FIELD(_metajobspec403, Jobs), QL_FIELD(_metajobspec403, lMetaJobFlags)},
    };
    for (const auto& tail : tails) {
        SCOPED_TRACE(std::string(tail[0].record, tail[0].record + wcslen(tail[0].record)));
        Ref<ITypeInfo> info = Type(tail[0].record);
        ASSERT_TRUE(info);
        TypeAttr attr(info.Get());
        ASSERT_TRUE(attr.Valid());
        const int first = FindVariable(info.Get(), tail[0].field);
        ASSERT_EQ(first + 4, attr->cVars);
        for (int i = 0; i < 4; ++i) {
            VarDesc var(info.Get(), static_cast<UINT>(first + i));
            ASSERT_TRUE(var.Valid());
            EXPECT_EQ(MemberName(info.Get(), var->memid), tail[i].field);
            EXPECT_EQ(static_cast<std::size_t>(var->oInst), tail[i].offset);
        }
    }
}

}  // namespace
}  // namespace ql
