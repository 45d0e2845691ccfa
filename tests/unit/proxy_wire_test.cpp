// Remote method proxies byte for byte: each test builds the exact request a
// call must send (call header with the family's fixed class and interface
// identifiers, then the arguments in wire order) and a reply by hand, calls
// through an interface pointer obtained for an older version of the
// family, and checks the out-arguments and that the reply was consumed to
// its last byte. Replies use threshold 0, so every received value carries
// its tag and a wrong wire type fails the read.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "codec_test_util.h"
#include "repository_fixture.h"
#include "support/unique_bstr.h"

namespace ql::test {
namespace {

// ---------------------------------------------------------------------------
// Identifiers
// ---------------------------------------------------------------------------

struct Family {
    CLSID clsid;
    IID iid;
};

// The pair each family sends, whatever version the client called through.
const Family kFileSystem = {
    {0xCB469298, 0x8BCB, 0x11D2, {0xAA, 0x9C, 0x00, 0xC0, 0x4F, 0xA3, 0x71, 0x11}},
    {0x42A08E36, 0xB219, 0x4B0B, {0x8E, 0x03, 0x73, 0x7B, 0x36, 0xD4, 0x5F, 0x66}}};
const Family kFileSystemView = {
    {0xCB469299, 0x8BCB, 0x11D2, {0xAA, 0x9C, 0x00, 0xC0, 0x4F, 0xA3, 0x71, 0x11}},
    {0x3E8F2712, 0x3544, 0x4789, {0xAB, 0x3A, 0xAC, 0x5B, 0x2B, 0xDC, 0x37, 0x77}}};
const Family kSbs = {
    {0xCB469296, 0x8BCB, 0x11D2, {0xAA, 0x9C, 0x00, 0xC0, 0x4F, 0xA3, 0x71, 0x11}},
    {0xA7347602, 0x605D, 0x4646, {0xB8, 0x0A, 0x21, 0x2E, 0xAE, 0x3C, 0x77, 0x09}}};
const Family kVault = {
    {0xCB469297, 0x8BCB, 0x11D2, {0xAA, 0x9C, 0x00, 0xC0, 0x4F, 0xA3, 0x71, 0x11}},
    {0x186F1A88, 0x6802, 0x48EE, {0x83, 0xDA, 0x30, 0x2F, 0x0B, 0xC8, 0x23, 0xA4}}};
const Family kJobQueue = {
    {0xCB46929B, 0x8BCB, 0x11D2, {0xAA, 0x9C, 0x00, 0xC0, 0x4F, 0xA3, 0x71, 0x11}},
    {0x9318CEC3, 0x9FE5, 0x4717, {0x97, 0xEB, 0x85, 0x4F, 0xB1, 0x2B, 0xBE, 0xB4}}};
const Family kLocalUserManager = {
    {0x110F654B, 0xA7D9, 0x11D3, {0x8F, 0xA9, 0x00, 0xA0, 0xC9, 0x1D, 0x0A, 0xBE}},
    {0x7BF1E729, 0x2BB9, 0x41CA, {0xA7, 0xC4, 0x5E, 0x2D, 0x9B, 0x1D, 0x97, 0x4E}}};
const Family kUpdate = {
    {0x5D3798E4, 0xA020, 0x11D3, {0x8A, 0xA9, 0x00, 0x10, 0x4B, 0xB1, 0x1D, 0x1E}},
    {0xCC73886D, 0x168C, 0x48A0, {0x99, 0xE0, 0x57, 0xBE, 0xA5, 0x1C, 0x30, 0x32}}};
const Family kEventReport = {
    {0xCB46929A, 0x8BCB, 0x11D2, {0xAA, 0x9C, 0x00, 0xC0, 0x4F, 0xA3, 0x71, 0x11}},
    {0x8EDD323F, 0x8B65, 0x11D1, {0x96, 0x8E, 0x00, 0xC0, 0x4F, 0xD5, 0xF9, 0xC3}}};

// Identifiers of every interface version, as the object answers them.
const IID kIDSFileSystem = {
    0xCB469285, 0x8BCB, 0x11D2, {0xAA, 0x9C, 0x00, 0xC0, 0x4F, 0xA3, 0x71, 0x11}};
const IID kIDSFileSystemView = {
    0x8BD5F344, 0x765B, 0x11D1, {0x85, 0x0B, 0x00, 0xC0, 0x4F, 0xCD, 0xCD, 0x8E}};
const IID kIDSFileSystemView_40 = {
    0x7FA14250, 0xFAF8, 0x11D4, {0x9A, 0x52, 0x00, 0x90, 0x27, 0xCC, 0xE0, 0x28}};
const IID kIDSFileSystemView_402 = {
    0x1BDECD06, 0x7DD9, 0x4245, {0xB9, 0x70, 0x7C, 0x00, 0x10, 0x0E, 0x42, 0xC5}};
const IID kIDSFileSystemView_45 = {
    0x84BC4E60, 0xA085, 0x46F4, {0xB5, 0x1A, 0x28, 0x2A, 0xDD, 0xC5, 0x2A, 0x9E}};
const IID kIDSFileSystemView_46 = {
    0x06DF1F16, 0xD60F, 0x449F, {0x82, 0x4D, 0xE1, 0x7F, 0xAD, 0x6A, 0x0D, 0x1C}};
const IID kIDSFileSystemView_57 = {
    0xCC1F5578, 0x3318, 0x41FB, {0x99, 0x52, 0x20, 0xE6, 0xF2, 0x8C, 0xB5, 0x94}};
const IID kIDSFileSystemView_60 = {
    0x7E33CBC6, 0x2820, 0x40C3, {0xB6, 0xF5, 0xEE, 0x91, 0x19, 0x9D, 0xE6, 0xF2}};
const IID kIDSFileSystemView_61 = {
    0x49EF13F7, 0x4AD0, 0x49B7, {0x9D, 0x7C, 0x40, 0xAC, 0xB0, 0x03, 0x2A, 0x3D}};
const IID kIDSFileSystemView_62 = {
    0x4C003595, 0xFFC9, 0x411E, {0xA7, 0x73, 0x39, 0x0E, 0xCB, 0x0B, 0xE9, 0xC5}};
const IID kIDSFileSystemView_622 = {
    0x3E8F2712, 0x3544, 0x4789, {0xAB, 0x3A, 0xAC, 0x5B, 0x2B, 0xDC, 0x37, 0x77}};
const IID kIDSFileSystem_40 = {
    0xA3F637DA, 0xB669, 0x405B, {0xA7, 0xAE, 0x81, 0xBA, 0x46, 0xD5, 0xCD, 0x54}};
const IID kIDSFileSystem_403 = {
    0x6841FD71, 0xB975, 0x4B4D, {0x97, 0x8C, 0x27, 0x32, 0xD6, 0x51, 0xB4, 0x32}};
const IID kIDSFileSystem_57 = {
    0x5AAEFF48, 0x14FC, 0x44D0, {0xA3, 0x2F, 0xDB, 0xFC, 0x17, 0x0A, 0xF5, 0x0D}};
const IID kIDSFileSystem_60 = {
    0xCF126755, 0x4955, 0x44C8, {0x8C, 0x5F, 0x0A, 0x14, 0xD4, 0x55, 0x46, 0xEF}};
const IID kIDSFileSystem_61 = {
    0x0D256B46, 0xDC5B, 0x4E22, {0xAD, 0xBD, 0xD2, 0x97, 0xB3, 0xB1, 0x16, 0x43}};
const IID kIDSFileSystem_62 = {
    0x42A08E36, 0xB219, 0x4B0B, {0x8E, 0x03, 0x73, 0x7B, 0x36, 0xD4, 0x5F, 0x66}};
const IID kIDSSBS = {0xA1954760, 0x9102, 0x11D1, {0xB3, 0xB8, 0x00, 0xC0, 0x4F, 0xCD, 0xCD, 0x8E}};
const IID kIDSSBS_40 = {
    0xCA807120, 0xFAFC, 0x11D4, {0x9A, 0x52, 0x00, 0x90, 0x27, 0xCC, 0xE0, 0x28}};
const IID kIDSSBS_401 = {
    0x7A23C929, 0x841F, 0x4DFE, {0x87, 0x46, 0x0F, 0x8A, 0xF6, 0xD1, 0xF1, 0x35}};
const IID kIDSSBS_402 = {
    0x08121C8F, 0xCAA9, 0x425B, {0x9C, 0xE5, 0x99, 0x09, 0xBF, 0xB8, 0x16, 0x6B}};
const IID kIDSSBS_403 = {
    0x8C8AD86F, 0x558D, 0x4A6C, {0xA0, 0x9D, 0x1E, 0x88, 0x9A, 0xC8, 0x0D, 0x4E}};
const IID kIDSSBS_45 = {
    0x388ACF75, 0x0C6A, 0x4B6C, {0x87, 0x31, 0x5B, 0x8B, 0xEC, 0xEB, 0x48, 0xE1}};
const IID kIDSSBS_46 = {
    0xD92A4217, 0x3C77, 0x4E41, {0xAA, 0xBD, 0x0D, 0xF7, 0xAA, 0xC1, 0x7D, 0x44}};
const IID kIDSSBS_57 = {
    0x09DEA356, 0x6E2B, 0x48E2, {0x8D, 0x9C, 0x7A, 0x1F, 0x45, 0xDA, 0x9B, 0x4F}};
const IID kIDSSBS_61 = {
    0xABA5AD0E, 0x28F3, 0x4B2E, {0x97, 0x90, 0xDF, 0xA5, 0x8F, 0x17, 0x41, 0x5C}};
const IID kIDSSBS_62 = {
    0x9267E647, 0xFE20, 0x49AA, {0x92, 0x95, 0x91, 0xBA, 0x57, 0x9D, 0x83, 0xCF}};
const IID kIDSSBS_621 = {
    0xA7347602, 0x605D, 0x4646, {0xB8, 0x0A, 0x21, 0x2E, 0xAE, 0x3C, 0x77, 0x09}};
const IID kIDSVault = {
    0xD854D95D, 0x87C3, 0x11D1, {0x8F, 0x0F, 0x00, 0xC0, 0x4F, 0xCD, 0xCB, 0x99}};
const IID kIDSVault_40 = {
    0x4F4240D0, 0xFAFC, 0x11D4, {0x9A, 0x52, 0x00, 0x90, 0x27, 0xCC, 0xE0, 0x28}};
const IID kIDSVault_402 = {
    0x74E66181, 0x3862, 0x481D, {0xB6, 0xF4, 0xBB, 0x49, 0xE9, 0x56, 0x05, 0x32}};
const IID kIDSVault_403 = {
    0xA61232D0, 0xC704, 0x11D5, {0xB6, 0xC8, 0x00, 0x02, 0xB3, 0x46, 0x0E, 0x8D}};
const IID kIDSVault_46 = {
    0x8F539C47, 0x3ADA, 0x4493, {0x89, 0x85, 0x5C, 0xFA, 0x72, 0x73, 0x10, 0xD9}};
const IID kIDSVault_51 = {
    0xD6B94F4C, 0xBF89, 0x4B44, {0x8C, 0x53, 0x98, 0x6C, 0xE7, 0xF2, 0xB5, 0xC4}};
const IID kIDSVault_60 = {
    0x1E380C90, 0xF364, 0x4B5D, {0xA5, 0x94, 0x0A, 0xBF, 0xFD, 0xCE, 0xD2, 0xFF}};
const IID kIDSVault_61 = {
    0xDE478797, 0x3C1D, 0x4642, {0xAA, 0xF4, 0x92, 0xE3, 0x5B, 0xF9, 0x90, 0x3B}};
const IID kIDSVault_62 = {
    0xB52A7DD0, 0xD28E, 0x4353, {0xB7, 0xD4, 0xFA, 0x54, 0x7A, 0x02, 0x58, 0x3A}};
const IID kIDSVault_621 = {
    0x186F1A88, 0x6802, 0x48EE, {0x83, 0xDA, 0x30, 0x2F, 0x0B, 0xC8, 0x23, 0xA4}};
const IID kIEventReportImp = {
    0x8EDD323F, 0x8B65, 0x11D1, {0x96, 0x8E, 0x00, 0xC0, 0x4F, 0xD5, 0xF9, 0xC3}};
const IID kIJobQueue = {
    0xC19AB4D0, 0x8935, 0x11D1, {0xBA, 0x7C, 0x00, 0xC0, 0x4F, 0xBA, 0x67, 0xFC}};
const IID kIJobQueue_401 = {
    0x699C70D9, 0x93A2, 0x4FCA, {0xB3, 0x4B, 0xA0, 0x63, 0xFD, 0x80, 0x92, 0xD3}};
const IID kIJobQueue_403 = {
    0x1930C2DA, 0xB65C, 0x4501, {0xA3, 0x77, 0xA3, 0x99, 0xF4, 0xBF, 0xE4, 0x96}};
const IID kIJobQueue_51 = {
    0xCD563249, 0xC9F5, 0x4FAB, {0xBD, 0xC5, 0x19, 0x99, 0x91, 0x3F, 0x9D, 0xE9}};
const IID kIJobQueue_60 = {
    0x18D5524D, 0x28F6, 0x4E60, {0x82, 0x84, 0xB7, 0xB0, 0xE3, 0x21, 0x68, 0xEE}};
const IID kIJobQueue_61 = {
    0xC01B69CC, 0xA75D, 0x4D08, {0xB1, 0x42, 0x6D, 0x25, 0xD0, 0x42, 0x78, 0xB8}};
const IID kIJobQueue_62 = {
    0x4D82BDDE, 0xBE7A, 0x4977, {0xB6, 0xBE, 0x97, 0x32, 0xE9, 0x87, 0x4C, 0x6E}};
const IID kIJobQueue_621 = {
    0x9318CEC3, 0x9FE5, 0x4717, {0x97, 0xEB, 0x85, 0x4F, 0xB1, 0x2B, 0xBE, 0xB4}};
const IID kINDMUpdateEx = {
    0x5D3798E3, 0xA020, 0x11D3, {0x8A, 0xA9, 0x00, 0x10, 0x4B, 0xB1, 0x1D, 0x1E}};
const IID kINDMUpdateEx_61 = {
    0xCC73886D, 0x168C, 0x48A0, {0x99, 0xE0, 0x57, 0xBE, 0xA5, 0x1C, 0x30, 0x32}};
const IID kINTLocalUserManager = {
    0x4B5DC73F, 0xAE30, 0x11D3, {0x8F, 0xAE, 0x00, 0xA0, 0xC9, 0x1D, 0x0A, 0xBE}};
const IID kINTLocalUserManager_40 = {
    0x9BBDB780, 0xFACF, 0x11D4, {0x9A, 0x52, 0x00, 0x90, 0x27, 0xCC, 0xE0, 0x28}};
const IID kINTLocalUserManager_403 = {
    0xD36D7377, 0x7DF5, 0x4C02, {0x81, 0xA4, 0xE2, 0x3A, 0x3C, 0xF1, 0xD7, 0x00}};
const IID kINTLocalUserManager_61 = {
    0x7BF1E729, 0x2BB9, 0x41CA, {0xA7, 0xC4, 0x5E, 0x2D, 0x9B, 0x1D, 0x97, 0x4E}};

// ---------------------------------------------------------------------------
// Expected bytes
// ---------------------------------------------------------------------------

Bytes Le(std::uint64_t value, std::size_t size) {
    Bytes out;
    for (std::size_t i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return out;
}

Bytes Image(std::initializer_list<Bytes> fields, std::size_t size) {
    Bytes out;
    for (const Bytes& f : fields) out.insert(out.end(), f.begin(), f.end());
    EXPECT_EQ(size, out.size()) << "image built with the wrong size";
    return out;
}

Bytes TimeBytes(const SYSTEMTIME& t) {
    return Image({Le(t.wYear, 2), Le(t.wMonth, 2), Le(t.wDayOfWeek, 2), Le(t.wDay, 2),
                  Le(t.wHour, 2), Le(t.wMinute, 2), Le(t.wSecond, 2), Le(t.wMilliseconds, 2)},
                 16);
}

Bytes GuidBytes(const GUID& g) {
    Bytes out = Image({Le(g.Data1, 4), Le(g.Data2, 2), Le(g.Data3, 2)}, 8);
    out.insert(out.end(), g.Data4, g.Data4 + 8);
    return out;
}

Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(i * 13 + seed);
    return out;
}

// Values after a header: each preceded by its tag when the tag number
// reaches the threshold (255 in requests, so none there).
class Wire {
public:
    explicit Wire(LONG threshold) : m_threshold(threshold) {}
    LONG Threshold() const { return m_threshold; }

    Wire& Tag(ULONG tag) {
        if (static_cast<LONG>(tag) >= m_threshold) Put(Le(tag, 4));
        return *this;
    }
    Wire& Put(const Bytes& raw) {
        bytes.insert(bytes.end(), raw.begin(), raw.end());
        return *this;
    }
    Wire& ULong(std::uint32_t v) { return Tag(17).Put(Le(v, 4)); }
    Wire& UShort(std::uint16_t v) { return Tag(18).Put(Le(v, 2)); }
    Wire& Long(std::int32_t v) { return Tag(19).Put(Le(static_cast<std::uint32_t>(v), 4)); }
    Wire& Short(std::int16_t v) { return Tag(20).Put(Le(static_cast<std::uint16_t>(v), 2)); }
    Wire& Int64(std::int64_t v) { return Tag(21).Put(Le(static_cast<std::uint64_t>(v), 8)); }
    Wire& UChar(std::uint8_t v) { return Tag(22).Put(Le(v, 1)); }
    Wire& Int(std::int32_t v) { return Tag(23).Put(Le(static_cast<std::uint32_t>(v), 4)); }
    Wire& Enum(std::uint32_t v) { return Int(static_cast<std::int32_t>(v)); }
    Wire& UInt64(std::uint64_t v) { return Tag(24).Put(Le(v, 8)); }
    Wire& Bstr(std::u16string_view text) {
        Tag(64).ULong(static_cast<std::uint32_t>(text.size() * 2 + 2)).Tag(16);
        for (char16_t c : text) Put(Le(c, 2));
        return Put(Le(0, 2));
    }
    Wire& NullBstr() { return Tag(64).ULong(0); }
    Wire& Guid(const GUID& g) { return Tag(96).Put(GuidBytes(g)); }
    Wire& Time(const SYSTEMTIME& t) { return Tag(97).Put(TimeBytes(t)); }
    Wire& Present(bool present) { return Tag(0).ULong(present ? 1 : 0); }
    Wire& ArrayHead(std::uint32_t capacity, std::uint32_t length) {
        return Tag(1).ULong(capacity).ULong(length);
    }
    Wire& Block(const Bytes& run) { return Tag(16).Put(run); }
    Wire& RawRecord(ULONG tag, const Bytes& image) { return Tag(tag).Put(image); }
    Wire& VariantWords(VARTYPE vt) { return Tag(65).UShort(vt).UShort(0).UShort(0).UShort(0); }

    // A caller's event chain of one zeroed node, as sent.
    Wire& EmptyEvent() {
        Present(true).Tag(129).ULong(0).ULong(0).ULong(0).NullBstr().ULong(0).ULong(0);
        return UShort(0).Present(false);
    }
    // The one-node chain every reply below returns.
    Wire& ServerEvent() {
        Present(true).Tag(129).ULong(0xE0001234).ULong(5).ULong(2).Bstr(u"srv.cpp").ULong(77);
        return ULong(3).UShort(1).Bstr(u"detail").Present(false);
    }

    Bytes bytes;

private:
    LONG m_threshold;
};

// A copy of a value. Fields of the byte-packed records reach the checks
// through it, so that no reference is ever bound to a misaligned field.
template <class T>
T V(T value) {
    return value;
}

CUniqueBstr Str(std::u16string_view text) {
    return CUniqueBstr(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                         static_cast<UINT>(text.size())));
}

std::string Text(BSTR value) { return value == nullptr ? "<null>" : test::Text(value); }

const SYSTEMTIME kTime1 = {2024, 5, 3, 17, 13, 45, 30, 999};
const SYSTEMTIME kTime2 = {2001, 12, 6, 31, 23, 59, 58, 1};
const GUID kGuidA = {0x01234567, 0x89AB, 0xCDEF, {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE}};

void ExpectSameTime(SYSTEMTIME expected, SYSTEMTIME actual) {
    EXPECT_EQ(ToHex(TimeBytes(expected)), ToHex(TimeBytes(actual)));
}

class ProxyWire : public RepositoryTest {
protected:
    // The object's pointer for an older interface version. The fixture's
    // own reference keeps the object alive, so the one taken here is
    // returned at once.
    template <class I>
    I* Query(const IID& iid) {
        void* pointer = nullptr;
        EXPECT_EQ(S_OK, m_repository->QueryInterface(iid, &pointer));
        auto* itf = static_cast<I*>(pointer);
        if (itf != nullptr) itf->Release();
        return itf;
    }

    static Wire Args() { return Wire(255); }
    static Wire Outs() { return Wire(0); }

    static Bytes Request(const Family& family, std::u16string_view method, const Wire& args) {
        Bytes body = CallHeader(family.clsid, family.iid, method);
        AppendBytes(body, args.bytes);
        return body;
    }
    static Bytes Reply(HRESULT result, const Wire& outs) {
        Wire head(outs.Threshold());
        head.Put(StreamHeader(12, 0x00060001, outs.Threshold()));
        head.Long(result).Put(outs.bytes);
        return head.bytes;
    }
    void Expect(const Family& family, std::u16string_view method, const Wire& args, HRESULT result,
                const Wire& outs) {
        m_transport->ExpectCall(Request(family, method, args), Reply(result, outs));
    }

    // Nothing of the last reply may be left unread.
    void ExpectReplyConsumed() {
        BYTE extra = 0;
        EXPECT_EQ(static_cast<HRESULT>(0x8007001Eu),
                  ThrownBy([&] { m_transport->Deserializer().ReadRaw(&extra, 1); }))
            << "the reply holds bytes the proxy did not read";
    }

    // Checks the chain of Wire::ServerEvent, frees its strings and leaves
    // the node zeroed for the next call.
    static void ExpectServerEvent(_RNSM_EVENT& event) {
        EXPECT_EQ(0xE0001234u, V(event.DwordOurCode));
        EXPECT_EQ(5u, V(event.DwordSystemCode));
        EXPECT_EQ(2u, V(event.LogDestination));
        EXPECT_EQ("srv.cpp", Text(event.BstringFileName));
        EXPECT_EQ(77u, V(event.DwordLineNumber));
        EXPECT_EQ(3u, V(event.MessageStatus));
        EXPECT_EQ(1, V(event.NumParamStrings));
        EXPECT_EQ("detail", Text(event.aParamStrings[0]));
        EXPECT_EQ(nullptr, V(event.pNext));
        SysFreeString(event.BstringFileName);
        for (USHORT k = 0; k < 9; ++k) SysFreeString(event.aParamStrings[k]);
        event = _RNSM_EVENT{};
    }
};

// ---------------------------------------------------------------------------
// Shared record pieces
// ---------------------------------------------------------------------------

_blobkey BlobKey(LONG key) {
    auto k = Zeroed<_blobkey>();
    k.Key = key;
    k.CreationTime = kTime1;
    k.OriginalDataSize = 0x1000;
    k.CompressedDataSize = 0x800;
    k.metaJobFlags = 6;
    return k;
}

Bytes BlobKeyImage(std::uint32_t key) {
    return Image({Le(key, 4), TimeBytes(kTime1), Le(0x1000, 4), Le(0x800, 4), Le(6, 4)}, 32);
}

Bytes ExtBlockImage(std::uint32_t flags) {
    return Image(
        {Le(flags, 4), Le(0x0102030405060708, 8), Le(1, 4), Le(2, 4), Le(3, 4), Le(4, 4), Le(5, 4)},
        32);
}

// A file descriptor whose fields carry their own ordinal, and its wire form.
struct FileDescriptorSample {
    FileDescriptorSample() : name(Str(u"a.txt")) {
        value = Zeroed<_rnsm_filedescriptor>();
        value.volumeID = 1;
        value.backupNumber = 2;
        value.backupNumberStart = 3;
        value.backupNumberEnd = 4;
        value.logicalFileID = 5;
        value.physicalFileID = 6;
        value.fileRev = 7;
        value.parentID = 8;
        value.Name = name.Get();
        value.lowCreationDateTime = 10;
        value.highCreationDateTime = 11;
        value.securityKey = 12;
        value.lowModDateTime = 13;
        value.highModDateTime = 14;
        value.attributes = 15;
        value.lowCurrentSize = 16;
        value.highCurrentSize = 17;
        value.initNameDateTimeHash = 18;
        value.lowFileContentsHash = 19;
        value.highFileContentsHash = 20;
        value.rnsmFileFlags = 21;
        value.fileExcluded = 22;
        value.timeBias = 23;
        value.shortFileName = nullptr;
        value.archiveFlag = kArchived;
    }
    static void Emit(Wire& w) {
        w.Tag(156).Long(1).Short(2).Short(3).Short(4).Int64(5).Int64(6).Short(7).Int64(8);
        w.Bstr(u"a.txt");
        for (int v = 10; v <= 21; ++v) w.Long(v);
        w.Int(22).Short(23).NullBstr().Enum(0x8C000001u);
    }
    static void ExpectRead(_rnsm_filedescriptor& r) {
        EXPECT_EQ(1, V(r.volumeID));
        EXPECT_EQ(4, V(r.backupNumberEnd));
        EXPECT_EQ(8, V(r.parentID));
        EXPECT_EQ("a.txt", Text(r.Name));
        EXPECT_EQ(21, V(r.rnsmFileFlags));
        EXPECT_EQ(22, V(r.fileExcluded));
        EXPECT_EQ(23, V(r.timeBias));
        EXPECT_EQ(nullptr, V(r.shortFileName));
        EXPECT_EQ(kArchived, V(r.archiveFlag));
        SysFreeString(r.Name);
        SysFreeString(r.shortFileName);
    }
    CUniqueBstr name;
    _rnsm_filedescriptor value;
};

// ---------------------------------------------------------------------------
// Every method, one row each
// ---------------------------------------------------------------------------
//
// Each row below is one method with its parameters in declaration order.
// A parameter is "<sent>/<received>", either side one of "-" (not carried),
// "event", a wire type ("long", "BSTR", "GUID", "raw:<tag>:<size>" for a
// record carried as a raw block, "rec:<name>" for one carried field by
// field), with "u:" in front for a unique pointer to the caller's memory
// and "u*:" for a unique pointer read into the caller's pointer variable;
// "arr:<element>" is a sized array ("block:<width>" for plain values that
// travel as one run), and "cnt:<i>" or "cnt*:<i>" (passed by pointer)
// marks the count that travels with the array at parameter i. Each method
// is called through the interface version that declares it. The driver
// sends distinct values for every sent parameter (arrays empty, records
// zero), answers distinct values for every received one (arrays of two
// elements) and checks that each reached its parameter. Methods that do
// not fit these rows (two arrays sharing one count, fixed caller buffers,
// irregular send orders) have tests of their own in this file.

constexpr std::size_t kSlotSize = 520;

// One call's arguments: an aligned slot per parameter.
class Slots {
public:
    template <class T>
    T Value(int i) {
        static_assert(sizeof(T) <= kSlotSize);
        T value;
        std::memcpy(static_cast<void*>(&value), m_slots[i].bytes, sizeof value);
        return value;
    }
    template <class T>
    T* Ptr(int i) {
        static_assert(sizeof(T) <= kSlotSize);
        return reinterpret_cast<T*>(m_slots[i].bytes);
    }
    BSTR Bstr(int i) { return Value<BSTR>(i); }
    _RNSM_EVENT* Event(int i) { return Ptr<_RNSM_EVENT>(i); }
    std::uint8_t* Raw(int i) { return m_slots[i].bytes; }

private:
    struct alignas(16) Slot {
        std::uint8_t bytes[kSlotSize] = {};
    };
    Slot m_slots[16];
};

struct ZeroRecord {
    std::string_view name;
    std::string_view tagged;    // as a reply (threshold 0) carries it
    std::string_view untagged;  // as a request carries it
};

struct SweepCase {
    const Family* family;
    const IID* iid;  // the version that declares the method
    std::u16string_view method;
    std::vector<std::string_view> params;
    HRESULT (*call)(void* itf, Slots& s);
};

// Zero values of the records carried field by field, with and without tags.
const ZeroRecord kZeroRecords[] = {
    {"DeltaFP", "9300000016000000001200000000000100000011000000000000001100000000000000",
     "0000000000000000000000"},
    {"_DiskFileInfoEx",
     "970000001300000000000000130000000000000013000000000000001300000000000000170000000000000013000"
     "00000000000400000001100000000000000",
     "00000000000000000000000000000000000000000000000000000000"},
    {"_PropertyDesc",
     "C40000004000000011000000000000004100000012000000000012000000000012000000000012000000000017000"
     "00000000000",
     "00000000000000000000000000000000"},
    {"_VolumeBackupsList", "A70000000100000011000000000000001100000000000000", "0000000000000000"},
    {"_backupHistory",
     "9E0000001300000000000000140000000000610000000000000000000000000000000000000017000000000000004"
     "00000001100000000000000",
     "000000000000000000000000000000000000000000000000000000000000"},
    {"_backupschedule",
     "B3000000AB00000000000000000000000000000000000000000000000000000000000000160000000001000000110"
     "00000000000001100000000000000",
     "00000000000000000000000000000000000000000000000000000000000000000000000000"},
    {"_backupschedule_401",
     "BB000000BA00000000000000000000000000000000000000000000000000000000000000000000001600000000010"
     "0000011000000000000001100000000000000",
     "0000000000000000000000000000000000000000000000000000000000000000000000000000000000"},
    {"_blobblockdesc",
     "8E0000008D00000000000000000000000000000000000000000000000000000000000000000000001100000000000"
     "0001300000000000000",
     "00000000000000000000000000000000000000000000000000000000000000000000000000000000"},
    {"_blobblockdesc_403",
     "940000008D00000000000000000000000000000000000000000000000000000000000000000000001300000000000"
     "00011000000000000001300000000000000",
     "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"},
    {"_blockdescriptor",
     "840000001500000000000000000000001400000000001300000000000000130000000000000000000000110000000"
     "0000000000000001100000000000000",
     "0000000000000000000000000000000000000000000000000000"},
    {"_file_blocks_request", "DA000000150000000000000000000000140000000000",
     "00000000000000000000"},
    {"_filesystementry",
     "A10000001300000000000000150000000000000000000000150000000000000000000000150000000000000000000"
     "000400000001100000000000000160000000001000000110000000000000011000000000000000000000011000000"
     "00000000",
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"},
    {"_fingerprintblob",
     "8C0000001500000000000000000000001400000000001100000000000000130000000000000013000000000000001"
     "100000000000000",
     "0000000000000000000000000000000000000000000000000000"},
    {"_guestInfo", "B9000000400000001100000000000000", "00000000"},
    {"_hashmatch",
     "8900000013000000000000000100000011000000000000001100000000000000000000001100000000000000",
     "00000000000000000000000000000000"},
    {"_machineGroup", "C10000001300000000000000400000001100000000000000400000001100000000000000",
     "000000000000000000000000"},
    {"_machineinfo",
     "DD0000001300000000000000400000001100000000000000400000001100000000000000600000000000000000000"
     "0000000000000000000",
     "00000000000000000000000000000000000000000000000000000000"},
    {"_manualBackupSpec",
     "CB0000001700000000000000160000000040000000110000000000000040000000110000000000000060000000000"
     "000000000000000000000000000001700000000000000170000000000000040000000110000000000000040000000"
     "110000000000000001000000110000000000000011000000000000001300000000000000",
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "000000000000000000000"},
    {"_metajobs", "C80000000100000011000000000000001100000000000000", "0000000000000000"},
    {"_metajobspec",
     "B10000001700000000000000400000001100000000000000400000001100000000000000600000000000000000000"
     "000000000000000000016000000001600000000610000000000000000000000000000000000000061000000000000"
     "000000000000000000000000001600000000130000000000000061000000000000000000000000000000000000001"
     "600000000AC0000000000000000001300000000000000130000000000000040000000110000000000000016000000"
     "000100000011000000000000001100000000000000",
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "000000000000000000000000000000000000"},
    {"_metajobspec403",
     "D10000001700000000000000400000001100000000000000400000001100000000000000600000000000000000000"
     "000000000000000000061000000000000000000000000000000000000006100000000000000000000000000000000"
     "000000130000000000000061000000000000000000000000000000000000001600000000AC0000000000000000001"
     "300000000000000130000000000000040000000110000000000000013000000000000000100000011000000000000"
     "001100000000000000",
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "000000000000000000000000000000000000"},
    {"_pWU", "B5000000130000000000000040000000110000000000000013000000000000001300000000000000",
     "00000000000000000000000000000000"},
    {"_pWU_403",
     "BD0000001300000000000000400000001100000000000000130000000000000013000000000000001300000000000"
     "000",
     "0000000000000000000000000000000000000000"},
    {"_processedMetaJob",
     "AA0000001600000000130000000000000040000000110000000000000061000000000000000000000000000000000"
     "000006100000000000000000000000000000000000000130000000000000011000000000000001600000000",
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "0000000"},
    {"_rawVolume",
     "980000001300000000000000400000001100000000000000170000000000000015000000000000000000000015000"
     "0000000000000000000",
     "00000000000000000000000000000000000000000000000000000000"},
    {"_rawVolumeEx",
     "990000001300000000000000400000001100000000000000170000000000000015000000000000000000000015000"
     "000000000000000000011000000000000004000000011000000000000001100000000000000110000000000000011"
     "000000000000004000000011000000000000001100000000000000150000000000000000000000150000000000000"
     "000000000",
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "000000000000000000000000000000000000000000000000000"},
    {"_restorespec",
     "CC0000001700000000000000400000001100000000000000600000000000000000000000000000000000000017000"
     "000000000001700000000000000400000001100000000000000400000001100000000000000010000001100000000"
     "00000011000000000000001300000000000000",
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "00000000000"},
    {"_retentionRule",
     "B80000001700000000000000170000000000000017000000000000001400000000001400000000004000000011000"
     "0000000000017000000000000001700000000000000170000000000000017000000000000001700000000000000",
     "00000000000000000000000000000000000000000000000000000000000000000000000000000000"},
    {"_rnsm_filedescriptor",
     "9C0000001300000000000000140000000000140000000000140000000000150000000000000000000000150000000"
     "000000000000000140000000000150000000000000000000000400000001100000000000000130000000000000013"
     "000000000000001300000000000000130000000000000013000000000000001300000000000000130000000000000"
     "013000000000000001300000000000000130000000000000013000000000000001300000000000000170000000000"
     "00001400000000004000000011000000000000001700000000000000",
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "000000000000000000"},
    {"_sbsinfo",
     "860000001300000000000000130000000000000013000000000000001300000000000000400000001100000000000"
     "000110000000000000013000000000000006000000000000000000000000000000000000000170000000000000016"
     "000000004000000011000000000000004000000011000000000000006100000000000000000000000000000000000"
     "000610000000000000000000000000000000000000011000000000000001100000000000000170000000000000017"
     "000000000000001700000000000000110000000000000011000000000000001100000000000000400000001100000"
     "000000000150000000000000000000000",
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "00000000000000000000000000000000000000000000000000000000000000000000000000000000"},
    {"_securitySettings",
     "D50000001100000000000000010000001100000000000000110000000000000001000000110000000000000011000"
     "000000000000100000011000000000000001100000000000000",
     "00000000000000000000000000000000000000000000000000000000"},
    {"_securitySettings40",
     "D60000001100000000000000010000001100000000000000110000000000000001000000110000000000000011000"
     "0000000000001000000110000000000000011000000000000000100000011000000000000001100000000000000",
     "000000000000000000000000000000000000000000000000000000000000000000000000"},
    {"_vaultSettings",
     "BF0000001300000000000000400000001100000000000000170000000000000013000000000000001300000000000"
     "000130000000000000013000000000000001300000000000000130000000000000013000000000000001300000000"
     "000000",
     "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"},
    {"_vaultgrouphistory",
     "DE0000001300000000000000130000000000000013000000000000006000000000000000000000000000000000000"
     "000130000000000000013000000000000001300000000000000",
     "00000000000000000000000000000000000000000000000000000000000000000000000000000000"},
    {"_viewFilterItem",
     "A20000001300000000000000130000000000000040000000110000000000000011000000000000001100000000000"
     "0001600000000",
     "000000000000000000000000000000000000000000"},
    {"_volumeinfo",
     "9B0000001300000000000000170000000000000013000000000000001300000000000000130000000000000014000"
     "000000040000000110000000000000011000000000000004000000011000000000000001300000000000000400000"
     "001100000000000000140000000000130000000000000060000000000000000000000000000000000000001300000"
     "0000000001300000000000000150000000000000000000000",
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "0000000000000000000000000000000000000000000000000000000000000000000"},
    {"_volumeinfo403",
     "BE0000001300000000000000170000000000000013000000000000001300000000000000130000000000000014000"
     "000000040000000110000000000000011000000000000004000000011000000000000001300000000000000400000"
     "001100000000000000140000000000130000000000000060000000000000000000000000000000000000001300000"
     "00000000013000000000000001500000000000000000000001300000000000000",
     "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "000000000000000000000000000000000000000000000000000000000000000000000000000"},
};

const SweepCase kFileSystemCases[] =
    {
        {&kFileSystem,
         &kIDSFileSystem,
         u"WriteFileBlocks",
         {"arr:rec:_blockdescriptor/-", "cnt:0", "short/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->WriteFileBlocks(
                 s.Ptr<_blockdescriptor>(0), s.Value<LONG>(1), s.Value<SHORT>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"CreatePhysicalFile",
         {"raw:138:8/-", "short/-", "-/__int64", "long/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->CreatePhysicalFile(
                 s.Value<_fileobject>(0), s.Value<SHORT>(1), s.Ptr<LONGLONG>(2), s.Value<LONG>(3),
                 s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"RollBackFileTransaction",
         {"__int64/-", "long/-", "long/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->RollBackFileTransaction(
                 s.Value<LONGLONG>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"ReadFileBlocks",
         {"long/-", "long/-", "long/-", "__int64/-", "long/-", "short/-", "cnt*:7",
          "arr:rec:_blockdescriptor/arr:rec:_blockdescriptor", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->ReadFileBlocks(
                 s.Value<LONG>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Value<LONGLONG>(3),
                 s.Value<LONG>(4), s.Value<SHORT>(5), s.Ptr<LONG>(6), s.Ptr<_blockdescriptor*>(7),
                 s.Event(8));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"CreateNewFileRev",
         {"raw:138:8/-", "short/-", "unsigned char/-", "long/-", "__int64/-", "long/-", "__int64/-",
          "-/__int64", "u:long/u:long", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->CreateNewFileRev(
                 s.Value<_fileobject>(0), s.Value<SHORT>(1), s.Value<CHAR>(2), s.Value<LONG>(3),
                 s.Value<LONGLONG>(4), s.Value<LONG>(5), s.Value<LONGLONG>(6), s.Ptr<LONGLONG>(7),
                 s.Ptr<LONG>(8), s.Event(9));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"ReadBlockHashes",
         {"long/-", "__int64/-", "short/-", "cnt*:4", "arr:raw:139:8/arr:raw:139:8", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->ReadBlockHashes(
                 s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<SHORT>(2), s.Ptr<LONG>(3),
                 s.Ptr<_blockhash*>(4), s.Event(5));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"WriteFingerPrints",
         {"long/-", "arr:rec:_fingerprintblob/-", "cnt:1", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->WriteFingerPrints(
                 s.Value<LONG>(0), s.Ptr<_fingerprintblob>(1), s.Value<LONG>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"GetBLOBRecordKeys",
         {"long/-", "GUID/-", "arr:raw:141:32/arr:raw:141:32", "cnt*:2", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->GetBLOBRecordKeys(
                 s.Value<LONG>(0), s.Value<GUID>(1), s.Ptr<_blobkey*>(2), s.Ptr<LONG>(3),
                 s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"ReadBLOBBlock",
         {"long/-", "-/rec:_blobblockdesc", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->ReadBLOBBlock(
                 s.Value<LONG>(0), s.Ptr<_blobblockdesc>(1), s.Event(2));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"WriteBLOBBlock",
         {"long/-", "GUID/-", "u:rec:_blobblockdesc/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->WriteBLOBBlock(
                 s.Value<LONG>(0), s.Value<GUID>(1), s.Ptr<_blobblockdesc>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"WriteBLOBType",
         {"GUID/-", "BSTR/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->WriteBLOBType(s.Value<GUID>(0), s.Bstr(1),
                                                                  s.Event(2));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"UpdateBLOBType",
         {"GUID/-", "BSTR/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->UpdateBLOBType(s.Value<GUID>(0), s.Bstr(1),
                                                                   s.Event(2));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"ReadBLOBType",
         {"GUID/-", "-/BSTR", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->ReadBLOBType(s.Value<GUID>(0), s.Ptr<BSTR>(1),
                                                                 s.Event(2));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"DeleteBLOBType",
         {"GUID/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->DeleteBLOBType(s.Value<GUID>(0), s.Event(1));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"ReadFingerPrints",
         {"long/-", "long/-", "long/-", "__int64/-", "long/-", "cnt*:6",
          "arr:rec:_fingerprintblob/arr:rec:_fingerprintblob", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->ReadFingerPrints(
                 s.Value<LONG>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Value<LONGLONG>(3),
                 s.Value<LONG>(4), s.Ptr<LONG>(5), s.Ptr<_fingerprintblob*>(6), s.Event(7));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"CreateSerializedFile",
         {"long/-", "__int64/-", "unsigned char/-", "long/-", "-/__int64", "-/short",
          "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->CreateSerializedFile(
                 s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<CHAR>(2), s.Value<LONG>(3),
                 s.Ptr<LONGLONG>(4), s.Ptr<SHORT>(5), s.Event(6));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"DeleteFileFromBackup",
         {"long/-", "__int64/-", "short/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->DeleteFileFromBackup(
                 s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<SHORT>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"GetLatestBLOBBlock",
         {"long/-", "GUID/-", "unsigned char/-", "u:rec:_blobblockdesc/u:rec:_blobblockdesc",
          "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->GetLatestBLOBBlock(
                 s.Value<LONG>(0), s.Value<GUID>(1), s.Value<CHAR>(2), s.Ptr<_blobblockdesc>(3),
                 s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"GetDeletedBlobRecs",
         {"long/-", "cnt*:2", "-/arr:raw:143:18", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->GetDeletedBlobRecs(
                 s.Value<LONG>(0), s.Ptr<LONG>(1), s.Ptr<_diskBlockInfo*>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"DeleteDeletedBlobRecs",
         {"event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->DeleteDeletedBlobRecs(s.Event(0));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"GetRevisionOfLastFullBkup",
         {"__int64/-", "-/short", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->GetRevisionOfLastFullBkup(
                 s.Value<LONGLONG>(0), s.Ptr<SHORT>(1), s.Event(2));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"ReplaceRevisionOfFile",
         {"__int64/-", "long/-", "long/-", "long/-", "-/__int64", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->ReplaceRevisionOfFile(
                 s.Value<LONGLONG>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Value<LONG>(3),
                 s.Ptr<LONGLONG>(4), s.Event(5));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"GetRevisionToRemove",
         {"long/-", "cnt*:2", "arr:raw:144:28/arr:raw:144:28", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->GetRevisionToRemove(
                 s.Value<LONG>(0), s.Ptr<LONG>(1), s.Ptr<_revisioninfo*>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"DisableFileRetention",
         {"__int64/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->DisableFileRetention(s.Value<LONGLONG>(0),
                                                                         s.Event(1));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"ResetRetentionForAll",
         {"event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->ResetRetentionForAll(s.Event(0));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"SelectRFEInfo",
         {"long/-", "__int64/-", "-/__int64", "-/short", "-/unsigned char", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->SelectRFEInfo(
                 s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Ptr<LONGLONG>(2), s.Ptr<SHORT>(3),
                 s.Ptr<CHAR>(4), s.Event(5));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"ReadFingerPrintsCRC",
         {"long/-", "__int64/-", "long/-", "u:long/u:long", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->ReadFingerPrintsCRC(
                 s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<LONG>(2), s.Ptr<LONG>(3),
                 s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"WriteDeltaFingerprints",
         {"u:raw:145:40/-", "cnt:2", "arr:rec:DeltaFP/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->WriteDeltaFingerprints(
                 s.Ptr<DeltaFPInitStruct>(0), s.Value<LONG>(1), s.Ptr<DeltaFP>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"GetBLOBRecordKeysEx",
         {"long/-", "GUID/-", "long/-", "arr:raw:141:32/arr:raw:141:32", "cnt*:3", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->GetBLOBRecordKeysEx(
                 s.Value<LONG>(0), s.Value<GUID>(1), s.Value<LONG>(2), s.Ptr<_blobkey*>(3),
                 s.Ptr<LONG>(4), s.Event(5));
         }},
        {&kFileSystem,
         &kIDSFileSystem,
         u"ReadFileBlocksEx",
         {"long/-", "long/-", "long/-", "__int64/-", "long/-", "short/-", "cnt*:7",
          "arr:rec:_blockdescriptor/arr:rec:_blockdescriptor", "u:__int64/u:__int64",
          "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem*>(p)->ReadFileBlocksEx(
                 s.Value<LONG>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Value<LONGLONG>(3),
                 s.Value<LONG>(4), s.Value<SHORT>(5), s.Ptr<LONG>(6), s.Ptr<_blockdescriptor*>(7),
                 s.Ptr<LONGLONG>(8), s.Event(9));
         }},
        {&kFileSystem,
         &kIDSFileSystem_40,
         u"GetDeletedBlobRecsEx",
         {"long/-", "long/-", "cnt*:3", "-/arr:raw:143:18", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_40*>(p)->GetDeletedBlobRecsEx(
                 s.Value<LONG>(0), s.Value<LONG>(1), s.Ptr<LONG>(2), s.Ptr<_diskBlockInfo*>(3),
                 s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem_40,
         u"GetRevisionToRemoveEx",
         {"long/-", "cnt*:2", "arr:raw:144:28/arr:raw:144:28", "unsigned char/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_40*>(p)->GetRevisionToRemoveEx(
                 s.Value<LONG>(0), s.Ptr<LONG>(1), s.Ptr<_revisioninfo*>(2), s.Value<CHAR>(3),
                 s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem_403,
         u"WriteBLOBBlock403",
         {"long/-", "GUID/-", "u:rec:_blobblockdesc_403/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_403*>(p)->WriteBLOBBlock403(
                 s.Value<LONG>(0), s.Value<GUID>(1), s.Ptr<_blobblockdesc_403>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem_403,
         u"GetLatestBLOBBlock403",
         {"long/-", "GUID/-", "unsigned char/-",
          "u:rec:_blobblockdesc_403/u:rec:_blobblockdesc_403", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_403*>(p)->GetLatestBLOBBlock403(
                 s.Value<LONG>(0), s.Value<GUID>(1), s.Value<CHAR>(2), s.Ptr<_blobblockdesc_403>(3),
                 s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"RollBackLastFileTransaction",
         {"long/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->RollBackLastFileTransaction(s.Value<LONG>(0),
                                                                                   s.Event(1));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"GetDeletedBlobBlocks",
         {"cnt*:1", "-/arr:raw:143:18", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->GetDeletedBlobBlocks(
                 s.Ptr<LONG>(0), s.Ptr<_diskBlockInfo*>(1), s.Event(2));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"GetDiskFileInfo",
         {"long/-", "-/arr:raw:149:20", "cnt*:1", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->GetDiskFileInfo(
                 s.Value<LONG>(0), s.Ptr<_DiskFileInfo*>(1), s.Ptr<LONG>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"CompactRawStorageFile",
         {"long/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->CompactRawStorageFile(s.Value<LONG>(0),
                                                                             s.Event(1));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"UpdateDiskUsageStatistics",
         {"long/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->UpdateDiskUsageStatistics(s.Value<LONG>(0),
                                                                                 s.Event(1));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"DeleteRawBlock",
         {"long/-", "long/-", "long/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->DeleteRawBlock(
                 s.Value<LONG>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"SetRawStorageIsReservingSpace",
         {"int/-"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->SetRawStorageIsReservingSpace(
                 s.Value<INT>(0));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"GetDiskFileKeys",
         {"-/arr:block:4", "cnt*:0", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->GetDiskFileKeys(s.Ptr<LONG*>(0),
                                                                       s.Ptr<LONG>(1), s.Event(2));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"VerifyRawStorageFileIntegrity",
         {"long/-", "unsigned char/-", "cnt*:3", "arr:raw:150:12/arr:raw:150:12", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->VerifyRawStorageFileIntegrity(
                 s.Value<LONG>(0), s.Value<CHAR>(1), s.Ptr<LONG>(2), s.Ptr<_BadFileItem*>(3),
                 s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"GetDiskFileInfoEx",
         {"long/-", "-/arr:rec:_DiskFileInfoEx", "cnt*:1", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->GetDiskFileInfoEx(
                 s.Value<LONG>(0), s.Ptr<_DiskFileInfoEx*>(1), s.Ptr<LONG>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"GetLostDiskFileInfoEx",
         {"-/arr:rec:_DiskFileInfoEx", "cnt*:0", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->GetLostDiskFileInfoEx(
                 s.Ptr<_DiskFileInfoEx*>(0), s.Ptr<LONG>(1), s.Event(2));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"UpdateDiskFileLocation",
         {"long/-", "long/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->UpdateDiskFileLocation(
                 s.Value<LONG>(0), s.Value<LONG>(1), s.Event(2));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"LostBLOBHandling",
         {"long/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->LostBLOBHandling(s.Value<LONG>(0),
                                                                        s.Event(1));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"GetRawVolumeInfoEx",
         {"BSTR/-", "long/-", "-/arr:rec:_rawVolumeEx", "cnt*:2", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->GetRawVolumeInfoEx(
                 s.Bstr(0), s.Value<LONG>(1), s.Ptr<_rawVolumeEx*>(2), s.Ptr<LONG>(3), s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"DeleteCorruptedDiskFile",
         {"long/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->DeleteCorruptedDiskFile(s.Value<LONG>(0),
                                                                               s.Event(1));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"GetBLOBBlocks",
         {"long/-", "cnt*:2", "arr:raw:154:28/arr:raw:154:28", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->GetBLOBBlocks(
                 s.Value<LONG>(0), s.Ptr<LONG>(1), s.Ptr<_DbBlockInfo*>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"DeleteRawStorageVolume",
         {"long/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->DeleteRawStorageVolume(s.Value<LONG>(0),
                                                                              s.Event(1));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"GetUsedDiskFileKeys",
         {"-/arr:block:4", "cnt*:0", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_57*>(p)->GetUsedDiskFileKeys(
                 s.Ptr<LONG*>(0), s.Ptr<LONG>(1), s.Event(2));
         }},
        {&kFileSystem,
         &kIDSFileSystem_57,
         u"FlushAll",
         {"event/event"},
         [](void* p, Slots& s) { return static_cast<IDSFileSystem_57*>(p)->FlushAll(s.Event(0)); }},
        {&kFileSystem,
         &kIDSFileSystem_60,
         u"GetUncompressedDiskFileSize",
         {"long/-", "u:long/u:long", "u:long/u:long", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_60*>(p)->GetUncompressedDiskFileSize(
                 s.Value<LONG>(0), s.Ptr<LONG>(1), s.Ptr<LONG>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"CompleteFileTransaction",
         {"__int64/-", "long/-", "long/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->CompleteFileTransaction(
                 s.Value<LONGLONG>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"GetMegaClusterBlobRecs",
         {"long/-", "cnt*:2", "-/arr:raw:217:48", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->GetMegaClusterBlobRecs(
                 s.Value<LONG>(0), s.Ptr<LONG>(1), s.Ptr<_diskClusterInfo*>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"ReadDateTimeMatches61",
         {"arr:raw:135:8/-", "cnt:0", "-/arr:rec:_hashmatch", "cnt*:2", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->ReadDateTimeMatches61(
                 s.Ptr<_hashsize>(0), s.Value<LONG>(1), s.Ptr<_hashmatch*>(2), s.Ptr<LONG>(3),
                 s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"ReadBlockHashes61",
         {"long/-", "__int64/-", "short/-", "cnt*:4", "-/arr:raw:139:8", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->ReadBlockHashes61(
                 s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<SHORT>(2), s.Ptr<LONG>(3),
                 s.Ptr<_blockhash*>(4), s.Event(5));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"ReadFingerPrints61",
         {"long/-", "long/-", "long/-", "__int64/-", "long/-", "cnt*:6",
          "-/arr:rec:_fingerprintblob", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->ReadFingerPrints61(
                 s.Value<LONG>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Value<LONGLONG>(3),
                 s.Value<LONG>(4), s.Ptr<LONG>(5), s.Ptr<_fingerprintblob*>(6), s.Event(7));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"ReadFingerPrintsCRC61",
         {"long/-", "__int64/-", "long/-", "-/long", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->ReadFingerPrintsCRC61(
                 s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<LONG>(2), s.Ptr<LONG>(3),
                 s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"GetBLOBRecordKeysEx61",
         {"long/-", "GUID/-", "long/-", "-/arr:raw:141:32", "cnt*:3", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->GetBLOBRecordKeysEx61(
                 s.Value<LONG>(0), s.Value<GUID>(1), s.Value<LONG>(2), s.Ptr<_blobkey*>(3),
                 s.Ptr<LONG>(4), s.Event(5));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"ReadFileBlocksEx61",
         {"long/-", "long/-", "long/-", "__int64/-", "long/-", "short/-", "cnt*:7",
          "-/arr:rec:_blockdescriptor", "u:__int64/u:__int64", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->ReadFileBlocksEx61(
                 s.Value<LONG>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Value<LONGLONG>(3),
                 s.Value<LONG>(4), s.Value<SHORT>(5), s.Ptr<LONG>(6), s.Ptr<_blockdescriptor*>(7),
                 s.Ptr<LONGLONG>(8), s.Event(9));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"GetDeletedBlobRecsEx61",
         {"long/-", "long/-", "cnt*:3", "-/arr:raw:143:18", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->GetDeletedBlobRecsEx61(
                 s.Value<LONG>(0), s.Value<LONG>(1), s.Ptr<LONG>(2), s.Ptr<_diskBlockInfo*>(3),
                 s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"GetRevisionToRemoveEx61",
         {"long/-", "cnt*:2", "-/arr:raw:216:36", "unsigned char/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->GetRevisionToRemoveEx61(
                 s.Value<LONG>(0), s.Ptr<LONG>(1), s.Ptr<_revisioninfo61*>(2), s.Value<CHAR>(3),
                 s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"GetLatestBLOBBlock61",
         {"long/-", "GUID/-", "unsigned char/-", "-/rec:_blobblockdesc_403", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->GetLatestBLOBBlock61(
                 s.Value<LONG>(0), s.Value<GUID>(1), s.Value<CHAR>(2), s.Ptr<_blobblockdesc_403>(3),
                 s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"GetDeletedBlobBlocks61",
         {"cnt*:1", "-/arr:raw:143:18", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->GetDeletedBlobBlocks61(
                 s.Ptr<LONG>(0), s.Ptr<_diskBlockInfo*>(1), s.Event(2));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"GetBLOBBlocks61",
         {"long/-", "cnt*:2", "-/arr:raw:154:28", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->GetBLOBBlocks61(
                 s.Value<LONG>(0), s.Ptr<LONG>(1), s.Ptr<_DbBlockInfo*>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"GetUncompressedDiskFileSize61",
         {"long/-", "-/long", "-/long", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->GetUncompressedDiskFileSize61(
                 s.Value<LONG>(0), s.Ptr<LONG>(1), s.Ptr<LONG>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"DeleteDeletedBlobRecs61",
         {"unsigned char/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->DeleteDeletedBlobRecs61(s.Value<CHAR>(0),
                                                                               s.Event(1));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"SetRawBlockForReuse",
         {"long/-", "long/-", "long/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->SetRawBlockForReuse(
                 s.Value<LONG>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"GetDiskFileInfo61",
         {"notimpl"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->GetDiskFileInfo61(
                 s.Value<LONG>(0), s.Ptr<_DiskFileInfo61*>(1), s.Ptr<LONG>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"GetDiskFileInfo61Ex",
         {"notimpl"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->GetDiskFileInfo61Ex(
                 s.Value<LONG>(0), s.Ptr<_DiskFileInfo61*>(1), s.Ptr<LONG>(2), s.Event(3));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"VerifyRawStorageFileIntegrity61",
         {"notimpl"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->VerifyRawStorageFileIntegrity61(
                 s.Value<LONG>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Ptr<LONG>(3), s.Event(4));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"GetLostDiskFileInfo61",
         {"notimpl"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->GetLostDiskFileInfo61(
                 s.Ptr<_DiskFileInfo61*>(0), s.Ptr<LONG>(1), s.Event(2));
         }},
        {&kFileSystem,
         &kIDSFileSystem_61,
         u"GetIntegrityCheckErrors",
         {"notimpl"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_61*>(p)->GetIntegrityCheckErrors(s.Event(0));
         }},
        {&kFileSystem,
         &kIDSFileSystem_62,
         u"WriteFilesStream",
         {"arr:block:1/-", "cnt:0", "long/-", "-/arr:raw:219:17", "cnt*:3", "int/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_62*>(p)->WriteFilesStream(
                 s.Ptr<BYTE>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Ptr<_created_revision*>(3),
                 s.Ptr<LONG>(4), s.Value<LONG>(5), s.Event(6));
         }},
        {&kFileSystem,
         &kIDSFileSystem_62,
         u"ReadZeroRevFilesBlocks",
         {"arr:rec:_file_blocks_request/-", "cnt:0", "long/-", "long/-", "cnt*:5",
          "-/arr:rec:_blockdescriptor", "__int64/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_62*>(p)->ReadZeroRevFilesBlocks(
                 s.Ptr<_file_blocks_request>(0), s.Value<LONG>(1), s.Value<LONG>(2),
                 s.Value<LONG>(3), s.Ptr<LONG>(4), s.Ptr<_blockdescriptor*>(5),
                 s.Value<LONGLONG>(6), s.Event(7));
         }},
        {&kFileSystem,
         &kIDSFileSystem_62,
         u"DeleteFileFromBackupEx",
         {"long/-", "short/-", "cnt:3", "arr:block:8/-", "event/event"},
         [](void* p, Slots& s) {
             return static_cast<IDSFileSystem_62*>(p)->DeleteFileFromBackupEx(
                 s.Value<LONG>(0), s.Value<SHORT>(1), s.Value<LONG>(2), s.Ptr<LONGLONG>(3),
                 s.Event(4));
         }},
};

const SweepCase kFileSystemViewCases[] = {
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"GetVolumeInfo",
     {"long/-", "u*:rec:_volumeinfo/u*:rec:_volumeinfo", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->GetVolumeInfo(
             s.Value<LONG>(0), s.Ptr<_volumeinfo*>(1), s.Event(2));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"BackupComplete",
     {"long/-", "short/-", "_SYSTEMTIME/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->BackupComplete(
             s.Value<LONG>(0), s.Value<SHORT>(1), s.Value<SYSTEMTIME>(2), s.Event(3));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"SetVolumeInfo",
     {"long/-", "u:rec:_volumeinfo/-", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->SetVolumeInfo(
             s.Value<LONG>(0), s.Ptr<_volumeinfo>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"ReadFileInfo",
     {"long/-", "__int64/-", "short/-", "u*:rec:_rnsm_filedescriptor/u*:rec:_rnsm_filedescriptor",
      "cnt*:5", "arr:raw:157:22/arr:raw:157:22", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->ReadFileInfo(
             s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<SHORT>(2),
             s.Ptr<_rnsm_filedescriptor*>(3), s.Ptr<LONG>(4), s.Ptr<_filerev*>(5), s.Event(6));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"GetChildren",
     {"long/-", "__int64/-", "short/-", "cnt*:4", "arr:block:8/arr:block:8", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->GetChildren(
             s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<SHORT>(2), s.Ptr<LONG>(3),
             s.Ptr<LONGLONG*>(4), s.Event(5));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"SendDTFChunk",
     {"BSTR/-", "long/-", "unsigned long/-", "arr:block:1/arr:block:1", "cnt*:3", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->SendDTFChunk(s.Bstr(0), s.Value<LONG>(1),
                                                                 s.Value<ULONG>(2), s.Ptr<BYTE*>(3),
                                                                 s.Ptr<ULONG>(4), s.Event(5));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"BuildDTF",
     {"long/-", "short/-", "-/BSTR", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->BuildDTF(s.Value<LONG>(0), s.Value<SHORT>(1),
                                                             s.Ptr<BSTR>(2), s.Event(3));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"ReadFileRevInfo",
     {"long/-", "__int64/-", "arr:rec:_rnsm_filedescriptor/arr:rec:_rnsm_filedescriptor", "cnt*:2",
      "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->ReadFileRevInfo(
             s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Ptr<_rnsm_filedescriptor*>(2),
             s.Ptr<LONG>(3), s.Event(4));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"BackupStarted",
     {"long/-", "short/-", "BSTR/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->BackupStarted(
             s.Value<LONG>(0), s.Value<SHORT>(1), s.Bstr(2), s.Event(3));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"GetLastBackupForVolume",
     {"long/-", "u*:rec:_backupHistory/u*:rec:_backupHistory", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->GetLastBackupForVolume(
             s.Value<LONG>(0), s.Ptr<_backupHistory*>(1), s.Event(2));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"GetAllBackupsForVolume",
     {"long/-", "arr:rec:_backupHistory/arr:rec:_backupHistory", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->GetAllBackupsForVolume(
             s.Value<LONG>(0), s.Ptr<_backupHistory*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"ExcludeFileFromBackup",
     {"long/-", "short/-", "cnt:3", "arr:block:8/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->ExcludeFileFromBackup(
             s.Value<LONG>(0), s.Value<SHORT>(1), s.Value<LONG>(2), s.Ptr<LONGLONG>(3), s.Event(4));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"AddSecurity",
     {"long/-", "long/-", "arr:block:1/-", "cnt:2", "u:long/u:long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->AddSecurity(s.Value<LONG>(0), s.Value<LONG>(1),
                                                                s.Ptr<BYTE>(2), s.Value<LONG>(3),
                                                                s.Ptr<LONG>(4), s.Event(5));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"GetSecurity",
     {"long/-", "long/-", "-/long", "arr:block:1/arr:block:1", "cnt*:3", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->GetSecurity(s.Value<LONG>(0), s.Value<LONG>(1),
                                                                s.Ptr<LONG>(2), s.Ptr<BYTE*>(3),
                                                                s.Ptr<LONG>(4), s.Event(5));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"GetLatestVersionOfChildren",
     {"long/-", "__int64/-", "cnt*:3", "arr:raw:159:12/arr:raw:159:12", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->GetLatestVersionOfChildren(
             s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Ptr<LONG>(2), s.Ptr<_fileversion*>(3),
             s.Event(4));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"GetDirectoryInfo",
     {"long/-", "__int64/-", "cnt*:3", "arr:rec:_filesystementry/arr:rec:_filesystementry",
      "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->GetDirectoryInfo(
             s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Ptr<LONG>(2), s.Ptr<_filesystementry*>(3),
             s.Event(4));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"MarkPathsForDelete",
     {"arr:rec:_viewFilterItem/-", "cnt:0", "arr:block:4/-", "cnt:2", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->MarkPathsForDelete(
             s.Ptr<_viewFilterItem>(0), s.Value<LONG>(1), s.Ptr<LONG>(2), s.Value<LONG>(3),
             s.Event(4));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"MarkItemForDelete",
     {"arr:raw:163:17/-", "cnt:0", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->MarkItemForDelete(s.Ptr<_itemToMarkDelete>(0),
                                                                      s.Value<LONG>(1), s.Event(2));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"GetMarkedItemsForDeleteForAnSBS",
     {"long/-", "arr:raw:164:25/arr:raw:164:25", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->GetMarkedItemsForDeleteForAnSBS(
             s.Value<LONG>(0), s.Ptr<_markedRecords*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"DeleteEntireFile",
     {"__int64/-", "-/__int64", "-/__int64", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->DeleteEntireFile(
             s.Value<LONGLONG>(0), s.Ptr<LONGLONG>(1), s.Ptr<LONGLONG>(2), s.Event(3));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"RemoveLogicalRevisionOfFile",
     {"long/-", "__int64/-", "__int64/-", "long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->RemoveLogicalRevisionOfFile(
             s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<LONGLONG>(2), s.Value<LONG>(3),
             s.Value<LONG>(4), s.Event(5));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"MarkArchive",
     {"arr:raw:165:24/-", "cnt:0", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->MarkArchive(s.Ptr<_itemtoarchive>(0),
                                                                s.Value<LONG>(1), s.Event(2));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"BuildFileTreeInfo",
     {"long/-", "__int64/-", "short/-", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->BuildFileTreeInfo(
             s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<SHORT>(2), s.Ptr<LONG>(3), s.Event(4));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView,
     u"MarkRevisionlessFilesForDelete",
     {"long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView*>(p)->MarkRevisionlessFilesForDelete(
             s.Value<LONG>(0), s.Value<LONG>(1), s.Event(2));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_40,
     u"ReadBkpsWatermarksForSbs",
     {"long/-", "-/rec:_VolumeBackupsList", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_40*>(p)->ReadBkpsWatermarksForSbs(
             s.Value<LONG>(0), s.Ptr<_VolumeBackupsList>(1), s.Event(2));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_40,
     u"BuildFileTreeInfoEx",
     {"long/-", "__int64/-", "short/-", "long/-", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_40*>(p)->BuildFileTreeInfoEx(
             s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<SHORT>(2), s.Value<LONG>(3),
             s.Ptr<LONG>(4), s.Event(5));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_402,
     u"GenerateReport",
     {"long/-", "u:raw:168:280/u:raw:168:280", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_402*>(p)->GenerateReport(
             s.Value<LONG>(0), s.Ptr<GenRepXhange>(1), s.Event(2));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_45,
     u"GetGeneratedReport",
     {"cnt*:1", "arr:block:1/arr:block:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_45*>(p)->GetGeneratedReport(
             s.Ptr<LONG>(0), s.Ptr<BYTE*>(1), s.Event(2));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_45,
     u"FinalizeClientVolumeBackup",
     {"long/-", "long/-", "_SYSTEMTIME/-", "_SYSTEMTIME/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_45*>(p)->FinalizeClientVolumeBackup(
             s.Value<LONG>(0), s.Value<LONG>(1), s.Value<SYSTEMTIME>(2), s.Value<SYSTEMTIME>(3),
             s.Event(4));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_46,
     u"GetSbsKeyByVolumeKey",
     {"long/-", "u:long/u:long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_46*>(p)->GetSbsKeyByVolumeKey(
             s.Value<LONG>(0), s.Ptr<LONG>(1), s.Event(2));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_57,
     u"BuildVolumeFileTree",
     {"long/-", "short/-", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_57*>(p)->BuildVolumeFileTree(
             s.Value<LONG>(0), s.Value<SHORT>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_57,
     u"GetRevCntToRemove",
     {"u:long/u:long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_57*>(p)->GetRevCntToRemove(s.Ptr<LONG>(0),
                                                                         s.Event(1));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_57,
     u"RemoveLogicalRevisionOfFileEx",
     {"long/-", "__int64/-", "__int64/-", "long/-", "long/-", "u:__int64/u:__int64", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_57*>(p)->RemoveLogicalRevisionOfFileEx(
             s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<LONGLONG>(2), s.Value<LONG>(3),
             s.Value<LONG>(4), s.Ptr<LONGLONG>(5), s.Event(6));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_57,
     u"HandleCorruptedData",
     {"short/-", "arr:raw:169:12/-", "cnt:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_57*>(p)->HandleCorruptedData(
             s.Value<SHORT>(0), s.Ptr<_diskBlockCorruption>(1), s.Value<LONG>(2), s.Event(3));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_57,
     u"CleanupDBCorruptions",
     {"event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_57*>(p)->CleanupDBCorruptions(s.Event(0));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_57,
     u"GetMarkedForDeleteRevSize",
     {"-/__int64", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_57*>(p)->GetMarkedForDeleteRevSize(s.Ptr<LONGLONG>(0),
                                                                                 s.Event(1));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_57,
     u"MarkBackupArchive",
     {"long/-", "short/-", "unsigned char/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_57*>(p)->MarkBackupArchive(
             s.Value<LONG>(0), s.Value<SHORT>(1), s.Value<CHAR>(2), s.Event(3));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_57,
     u"GetVolsMarkedAsArchived",
     {"long/-", "-/rec:_VolumeBackupsList", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_57*>(p)->GetVolsMarkedAsArchived(
             s.Value<LONG>(0), s.Ptr<_VolumeBackupsList>(1), s.Event(2));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_60,
     u"DelFilesWithLostRFE",
     {"long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_60*>(p)->DelFilesWithLostRFE(s.Value<LONG>(0),
                                                                           s.Event(1));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_61,
     u"GetVolumeInfo61",
     {"long/-", "-/u*:rec:_volumeinfo", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_61*>(p)->GetVolumeInfo61(
             s.Value<LONG>(0), s.Ptr<_volumeinfo*>(1), s.Event(2));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_61,
     u"ReadFileInfo61",
     {"long/-", "__int64/-", "short/-", "-/u*:rec:_rnsm_filedescriptor", "cnt*:5",
      "-/arr:raw:157:22", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_61*>(p)->ReadFileInfo61(
             s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<SHORT>(2),
             s.Ptr<_rnsm_filedescriptor*>(3), s.Ptr<LONG>(4), s.Ptr<_filerev*>(5), s.Event(6));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_61,
     u"GetChildren61",
     {"long/-", "__int64/-", "short/-", "cnt*:4", "-/arr:block:8", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_61*>(p)->GetChildren61(
             s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<SHORT>(2), s.Ptr<LONG>(3),
             s.Ptr<LONGLONG*>(4), s.Event(5));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_61,
     u"SendDTFChunk61",
     {"BSTR/-", "long/-", "unsigned long/-", "-/arr:block:1", "cnt*:3", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_61*>(p)->SendDTFChunk61(
             s.Bstr(0), s.Value<LONG>(1), s.Value<ULONG>(2), s.Ptr<BYTE*>(3), s.Ptr<ULONG>(4),
             s.Event(5));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_61,
     u"GetLastBackupForVolume61",
     {"long/-", "-/u*:rec:_backupHistory", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_61*>(p)->GetLastBackupForVolume61(
             s.Value<LONG>(0), s.Ptr<_backupHistory*>(1), s.Event(2));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_61,
     u"GetAllBackupsForVolume61",
     {"long/-", "-/arr:rec:_backupHistory", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_61*>(p)->GetAllBackupsForVolume61(
             s.Value<LONG>(0), s.Ptr<_backupHistory*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_61,
     u"AddSecurity61",
     {"long/-", "long/-", "arr:block:1/-", "cnt:2", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_61*>(p)->AddSecurity61(
             s.Value<LONG>(0), s.Value<LONG>(1), s.Ptr<BYTE>(2), s.Value<LONG>(3), s.Ptr<LONG>(4),
             s.Event(5));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_61,
     u"GetSecurity61",
     {"long/-", "long/-", "-/long", "-/arr:block:1", "cnt*:3", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_61*>(p)->GetSecurity61(
             s.Value<LONG>(0), s.Value<LONG>(1), s.Ptr<LONG>(2), s.Ptr<BYTE*>(3), s.Ptr<LONG>(4),
             s.Event(5));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_61,
     u"GetDirectoryInfo61",
     {"long/-", "__int64/-", "cnt*:3", "-/arr:rec:_filesystementry", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_61*>(p)->GetDirectoryInfo61(
             s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Ptr<LONG>(2), s.Ptr<_filesystementry*>(3),
             s.Event(4));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_61,
     u"GetGeneratedReport61",
     {"cnt*:1", "-/arr:block:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_61*>(p)->GetGeneratedReport61(
             s.Ptr<LONG>(0), s.Ptr<BYTE*>(1), s.Event(2));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_61,
     u"GetSbsKeyByVolumeKey61",
     {"long/-", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_61*>(p)->GetSbsKeyByVolumeKey61(
             s.Value<LONG>(0), s.Ptr<LONG>(1), s.Event(2));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_61,
     u"GetRevCntToRemove61",
     {"-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_61*>(p)->GetRevCntToRemove61(s.Ptr<LONG>(0),
                                                                           s.Event(1));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_61,
     u"RemoveLogicalRevisionOfFileEx61",
     {"long/-", "__int64/-", "__int64/-", "long/-", "long/-", "-/__int64", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_61*>(p)->RemoveLogicalRevisionOfFileEx61(
             s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<LONGLONG>(2), s.Value<LONG>(3),
             s.Value<LONG>(4), s.Ptr<LONGLONG>(5), s.Event(6));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_62,
     u"CreateVolumeTree",
     {"long/-", "__int64/-", "short/-", "long/-", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_62*>(p)->CreateVolumeTree(
             s.Value<LONG>(0), s.Value<LONGLONG>(1), s.Value<SHORT>(2), s.Value<LONG>(3),
             s.Ptr<LONG>(4), s.Event(5));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_62,
     u"CloseVolumeTree",
     {"long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_62*>(p)->CloseVolumeTree(s.Value<LONG>(0),
                                                                       s.Event(1));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_62,
     u"GetFileRevsFromVolumeTree",
     {"long/-", "long/-", "cnt*:3", "-/arr:raw:144:28", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_62*>(p)->GetFileRevsFromVolumeTree(
             s.Value<LONG>(0), s.Value<LONG>(1), s.Ptr<LONG>(2), s.Ptr<_revisioninfo*>(3),
             s.Event(4));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_62,
     u"GetFileRevsFromVolumeTreeEx",
     {"long/-", "long/-", "long/-", "cnt*:4", "-/arr:raw:144:28", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_62*>(p)->GetFileRevsFromVolumeTreeEx(
             s.Value<LONG>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Ptr<LONG>(3),
             s.Ptr<_revisioninfo*>(4), s.Event(5));
     }},
    {&kFileSystemView,
     &kIDSFileSystemView_622,
     u"BuildDTFEx",
     {"long/-", "short/-", "long/-", "-/BSTR", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSFileSystemView_622*>(p)->BuildDTFEx(
             s.Value<LONG>(0), s.Value<SHORT>(1), s.Value<LONG>(2), s.Ptr<BSTR>(3), s.Event(4));
     }},
};

const SweepCase kSBSCases[] = {
    {&kSbs,
     &kIDSSBS,
     u"GetMetaJobsForSBS",
     {"long/-", "arr:raw:133:41/arr:raw:133:41", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetMetaJobsForSBS(s.Value<LONG>(0), s.Ptr<_sbsmetajob*>(1),
                                                           s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetSBSInfo",
     {"long/-", "u*:rec:_sbsinfo/u*:rec:_sbsinfo", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetSBSInfo(s.Value<LONG>(0), s.Ptr<_sbsinfo*>(1),
                                                    s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetSBSExcludeList",
     {"long/-", "arr:rec:_viewFilterItem/arr:rec:_viewFilterItem", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetSBSExcludeList(
             s.Value<LONG>(0), s.Ptr<_viewFilterItem*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"AddSBSToVault",
     {"BSTR/-", "u:rec:_sbsinfo/-", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->AddSBSToVault(s.Bstr(0), s.Ptr<_sbsinfo>(1),
                                                       s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetLastBackup",
     {"long/-", "-/rec:_backupHistory", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetLastBackup(s.Value<LONG>(0), s.Ptr<_backupHistory>(1),
                                                       s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetAllVolumesForSBS",
     {"long/-", "arr:rec:_volumeinfo/arr:rec:_volumeinfo", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetAllVolumesForSBS(
             s.Value<LONG>(0), s.Ptr<_volumeinfo*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"AddVolumesToASBS",
     {"long/-", "arr:rec:_volumeinfo/-", "cnt:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->AddVolumesToASBS(s.Value<LONG>(0), s.Ptr<_volumeinfo>(1),
                                                          s.Value<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetComputersByPWU",
     {"BSTR/-", "BSTR/-", "arr:rec:_sbsinfo/arr:rec:_sbsinfo", "cnt*:2", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetComputersByPWU(
             s.Bstr(0), s.Bstr(1), s.Ptr<_sbsinfo*>(2), s.Ptr<LONG>(3), s.Event(4));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetProcessedMetaJobs",
     {"long/-", "unsigned char/-", "arr:rec:_processedMetaJob/arr:rec:_processedMetaJob", "cnt*:2",
      "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetProcessedMetaJobs(s.Value<LONG>(0), s.Value<BYTE>(1),
                                                              s.Ptr<_processedMetaJob*>(2),
                                                              s.Ptr<LONG>(3), s.Event(4));
     }},
    {&kSbs,
     &kIDSSBS,
     u"RemoveSBSFromVault",
     {"long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->RemoveSBSFromVault(s.Value<LONG>(0), s.Event(1));
     }},
    {&kSbs,
     &kIDSSBS,
     u"SetIncludeList",
     {"long/-", "arr:rec:_viewFilterItem/-", "cnt:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->SetIncludeList(s.Value<LONG>(0), s.Ptr<_viewFilterItem>(1),
                                                        s.Value<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"RemoveVolumeFromASBS",
     {"long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->RemoveVolumeFromASBS(s.Value<LONG>(0), s.Value<LONG>(1),
                                                              s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"AddAScheduleToASBS",
     {"long/-", "u:raw:171:28/-", "u:rec:_metajobspec/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->AddAScheduleToASBS(
             s.Value<LONG>(0), s.Ptr<_scheduleinfo>(1), s.Ptr<_metajobspec>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetSchedulesForASBS",
     {"long/-", "arr:rec:_backupschedule/arr:rec:_backupschedule", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetSchedulesForASBS(
             s.Value<LONG>(0), s.Ptr<_backupschedule*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"RemoveSchedule",
     {"long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->RemoveSchedule(s.Value<LONG>(0), s.Event(1));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetSBSKey",
     {"GUID/-", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetSBSKey(s.Value<GUID>(0), s.Ptr<LONG>(1), s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetVolumesInAMetaJob",
     {"long/-", "arr:raw:180:31/arr:raw:180:31", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetVolumesInAMetaJob(
             s.Value<LONG>(0), s.Ptr<_backedUpVolume*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"SetMachineGroup",
     {"long/-", "BSTR/-", "BSTR/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->SetMachineGroup(s.Value<LONG>(0), s.Bstr(1), s.Bstr(2),
                                                         s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetSBSSpaceUsed",
     {"long/-", "-/__int64", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetSBSSpaceUsed(s.Value<LONG>(0), s.Ptr<LONGLONG>(1),
                                                         s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetSBSPWUs",
     {"long/-", "arr:rec:_pWU/arr:rec:_pWU", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetSBSPWUs(s.Value<LONG>(0), s.Ptr<_pWU*>(1),
                                                    s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetSbsInfoByMetaKey",
     {"long/-", "-/BSTR", "-/long", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetSbsInfoByMetaKey(
             s.Value<LONG>(0), s.Ptr<BSTR>(1), s.Ptr<LONG>(2), s.Ptr<LONG>(3), s.Event(4));
     }},
    {&kSbs,
     &kIDSSBS,
     u"RemoveAllSchedulesForSBS",
     {"long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->RemoveAllSchedulesForSBS(s.Value<LONG>(0), s.Event(1));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetNextScheduledBackupTime",
     {"long/-", "-/raw:182:16", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetNextScheduledBackupTime(
             s.Value<LONG>(0), s.Ptr<_backuptime>(1), s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"SetDefaultsForSBS",
     {"long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->SetDefaultsForSBS(s.Value<LONG>(0), s.Event(1));
     }},
    {&kSbs,
     &kIDSSBS,
     u"RemoveGroupFromSBS",
     {"long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->RemoveGroupFromSBS(s.Value<LONG>(0), s.Event(1));
     }},
    {&kSbs,
     &kIDSSBS,
     u"ReactivateSBS",
     {"GUID/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->ReactivateSBS(s.Value<GUID>(0), s.Event(1));
     }},
    {&kSbs,
     &kIDSSBS,
     u"AddBackupScheduleForSBS",
     {"long/-", "u:rec:_backupschedule/-", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->AddBackupScheduleForSBS(
             s.Value<LONG>(0), s.Ptr<_backupschedule>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"SuspendSBS",
     {"long/-", "int/-", "u:int/u:int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->SuspendSBS(s.Value<LONG>(0), s.Value<LONG>(1),
                                                    s.Ptr<_suspendstatus>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetCommonProperties",
     {"int/-", "long/-", "-/arr:raw:183:28", "cnt*:2", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetCommonProperties(
             s.Value<_typeOfNode>(0), s.Value<LONG>(1), s.Ptr<_commonProperty*>(2), s.Ptr<LONG>(3),
             s.Event(4));
     }},
    {&kSbs,
     &kIDSSBS,
     u"UpdateCommonProperties",
     {"raw:183:28/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->UpdateCommonProperties(s.Value<_commonProperty>(0),
                                                                s.Event(1));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetActiveRights",
     {"u:int/u:int", "long/-", "-/short", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetActiveRights(s.Ptr<_typeOfNode>(0), s.Value<LONG>(1),
                                                         s.Ptr<SHORT>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"ClearRights",
     {"int/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->ClearRights(s.Value<_typeOfNode>(0), s.Value<LONG>(1),
                                                     s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"SetRights",
     {"int/-", "long/-", "short/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->SetRights(s.Value<_typeOfNode>(0), s.Value<LONG>(1),
                                                   s.Value<SHORT>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetActiveRetentionRules",
     {"u:int/u:int", "long/-", "-/arr:rec:_retentionRule", "cnt*:2", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetActiveRetentionRules(
             s.Ptr<_typeOfNode>(0), s.Value<LONG>(1), s.Ptr<_retentionRule*>(2), s.Ptr<LONG>(3),
             s.Event(4));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetRetentionRules",
     {"long/-", "-/arr:rec:_retentionRule", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetRetentionRules(
             s.Value<LONG>(0), s.Ptr<_retentionRule*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"ClearRetentionRules",
     {"int/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->ClearRetentionRules(s.Value<_typeOfNode>(0),
                                                             s.Value<LONG>(1), s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"SetRetentionRules",
     {"int/-", "long/-", "arr:rec:_retentionRule/-", "cnt:2", "u:long/u:long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->SetRetentionRules(
             s.Value<_typeOfNode>(0), s.Value<LONG>(1), s.Ptr<_retentionRule>(2), s.Value<LONG>(3),
             s.Ptr<LONG>(4), s.Event(5));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetExcludeList",
     {"long/-", "-/arr:rec:_viewFilterItem", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetExcludeList(
             s.Value<LONG>(0), s.Ptr<_viewFilterItem*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"ClearNodeExcludeList",
     {"int/-", "long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->ClearNodeExcludeList(
             s.Value<_typeOfNode>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"SetNodeExcludeList",
     {"int/-", "long/-", "arr:rec:_viewFilterItem/-", "cnt:2", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->SetNodeExcludeList(
             s.Value<_typeOfNode>(0), s.Value<LONG>(1), s.Ptr<_viewFilterItem>(2), s.Value<LONG>(3),
             s.Ptr<LONG>(4), s.Event(5));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetActiveExcludeList",
     {"long/-", "-/arr:rec:_viewFilterItem", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetActiveExcludeList(
             s.Value<LONG>(0), s.Ptr<_viewFilterItem*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"MarkSBSAsUninstalled",
     {"GUID/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->MarkSBSAsUninstalled(s.Value<GUID>(0), s.Event(1));
     }},
    {&kSbs,
     &kIDSSBS,
     u"SetRetentionForMetaJobs",
     {"long/-", "_SYSTEMTIME/-", "_SYSTEMTIME/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->SetRetentionForMetaJobs(
             s.Value<LONG>(0), s.Value<SYSTEMTIME>(1), s.Value<SYSTEMTIME>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetLastVolumeVFBNumber",
     {"long/-", "long/-", "-/short", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetLastVolumeVFBNumber(s.Value<LONG>(0), s.Value<LONG>(1),
                                                                s.Ptr<SHORT>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"SetSBSDeletedProp",
     {"long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->SetSBSDeletedProp(s.Value<LONG>(0), s.Value<LONG>(1),
                                                           s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"SetPWUDeletedProp",
     {"long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->SetPWUDeletedProp(s.Value<LONG>(0), s.Value<LONG>(1),
                                                           s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetSBSSpaceUsedEx",
     {"long/-", "-/__int64", "-/_SYSTEMTIME", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetSBSSpaceUsedEx(s.Value<LONG>(0), s.Ptr<LONGLONG>(1),
                                                           s.Ptr<SYSTEMTIME>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"SetSBSSpaceUsedEx",
     {"long/-", "__int64/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->SetSBSSpaceUsedEx(s.Value<LONG>(0), s.Value<LONGLONG>(1),
                                                           s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetSBSInfoList",
     {"-/arr:rec:_sbsinfo", "cnt*:0", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetSBSInfoList(s.Ptr<_sbsinfo*>(0), s.Ptr<LONG>(1),
                                                        s.Value<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"UpdateVolumesInSBSSchedule",
     {"GUID/-", "BSTR/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->UpdateVolumesInSBSSchedule(s.Value<GUID>(0), s.Bstr(1),
                                                                    s.Value<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"AddGuestToSBS",
     {"long/-", "u:rec:_guestInfo/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->AddGuestToSBS(s.Value<LONG>(0), s.Ptr<_guestInfo>(1),
                                                       s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetSBSGuests",
     {"long/-", "arr:rec:_guestInfo/arr:rec:_guestInfo", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetSBSGuests(s.Value<LONG>(0), s.Ptr<_guestInfo*>(1),
                                                      s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS,
     u"QueryNotification",
     {"long/-", "u:long/u:long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->QueryNotification(s.Value<LONG>(0), s.Ptr<LONG>(1),
                                                           s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"AddNotification",
     {"long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->AddNotification(s.Value<LONG>(0), s.Value<LONG>(1),
                                                         s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"RemoveNotification",
     {"long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->RemoveNotification(s.Value<LONG>(0), s.Value<LONG>(1),
                                                            s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"GetSBSFlags",
     {"long/-", "u:long/u:long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->GetSBSFlags(s.Value<LONG>(0), s.Ptr<LONG>(1), s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"SetSBSFlags",
     {"long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->SetSBSFlags(s.Value<LONG>(0), s.Value<LONG>(1),
                                                     s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS,
     u"ReactivateSBSEx",
     {"GUID/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS*>(p)->ReactivateSBSEx(s.Value<GUID>(0), s.Event(1));
     }},
    {&kSbs,
     &kIDSSBS_40,
     u"MoveTRTemplate",
     {"BSTR/-", "BSTR/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_40*>(p)->MoveTRTemplate(s.Bstr(0), s.Bstr(1), s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS_40,
     u"DeleteTRTemplate",
     {"BSTR/-", "-/unsigned char", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_40*>(p)->DeleteTRTemplate(s.Bstr(0), s.Ptr<CHAR>(1), s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS_401,
     u"GetSchedulesForASBS401",
     {"long/-", "arr:rec:_backupschedule_401/arr:rec:_backupschedule_401", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_401*>(p)->GetSchedulesForASBS401(
             s.Value<LONG>(0), s.Ptr<_backupschedule_401*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_401,
     u"AddBackupScheduleForSBS401",
     {"long/-", "u:rec:_backupschedule_401/-", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_401*>(p)->AddBackupScheduleForSBS401(
             s.Value<LONG>(0), s.Ptr<_backupschedule_401>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_401,
     u"AddAScheduleToASBS401",
     {"long/-", "u:raw:186:32/-", "u:rec:_metajobspec/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_401*>(p)->AddAScheduleToASBS401(
             s.Value<LONG>(0), s.Ptr<_scheduleinfo_401>(1), s.Ptr<_metajobspec>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_402,
     u"GetCommonProperties402",
     {"int/-", "long/-", "-/arr:raw:188:32", "cnt*:2", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_402*>(p)->GetCommonProperties402(
             s.Value<_typeOfNode>(0), s.Value<LONG>(1), s.Ptr<_commonProperty402*>(2),
             s.Ptr<LONG>(3), s.Event(4));
     }},
    {&kSbs,
     &kIDSSBS_402,
     u"SetNodeDocumentList402",
     {"int/-", "long/-", "arr:rec:_viewFilterItem/-", "cnt:2", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_402*>(p)->SetNodeDocumentList402(
             s.Value<_typeOfNode>(0), s.Value<LONG>(1), s.Ptr<_viewFilterItem>(2), s.Value<LONG>(3),
             s.Ptr<LONG>(4), s.Event(5));
     }},
    {&kSbs,
     &kIDSSBS_402,
     u"ClearNodeDocumentList402",
     {"int/-", "long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_402*>(p)->ClearNodeDocumentList402(
             s.Value<_typeOfNode>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_402,
     u"UpdateCommonProperties402",
     {"raw:188:32/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_402*>(p)->UpdateCommonProperties402(
             s.Value<_commonProperty402>(0), s.Event(1));
     }},
    {&kSbs,
     &kIDSSBS_403,
     u"AddUserToASBS403",
     {"long/-", "BSTR/-", "long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_403*>(p)->AddUserToASBS403(
             s.Value<LONG>(0), s.Bstr(1), s.Value<LONG>(2), s.Value<LONG>(3), s.Event(4));
     }},
    {&kSbs,
     &kIDSSBS_403,
     u"GetSBSUsers403",
     {"long/-", "long/-", "-/arr:rec:_pWU_403", "cnt*:2", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_403*>(p)->GetSBSUsers403(
             s.Value<LONG>(0), s.Value<LONG>(1), s.Ptr<_pWU_403*>(2), s.Ptr<LONG>(3), s.Event(4));
     }},
    {&kSbs,
     &kIDSSBS_403,
     u"GetAllVolumesForSBS403",
     {"long/-", "arr:rec:_volumeinfo403/arr:rec:_volumeinfo403", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_403*>(p)->GetAllVolumesForSBS403(
             s.Value<LONG>(0), s.Ptr<_volumeinfo403*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_403,
     u"GetNodeRights",
     {"u:int/u:int", "long/-", "-/short", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_403*>(p)->GetNodeRights(s.Ptr<_typeOfNode>(0), s.Value<LONG>(1),
                                                           s.Ptr<SHORT>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_403,
     u"ClearSBSPWUs",
     {"long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_403*>(p)->ClearSBSPWUs(s.Value<LONG>(0), s.Event(1));
     }},
    {&kSbs,
     &kIDSSBS_403,
     u"SetVolumeFlags",
     {"long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_403*>(p)->SetVolumeFlags(s.Value<LONG>(0), s.Value<LONG>(1),
                                                            s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS_403,
     u"UpdatePWUName",
     {"long/-", "BSTR/-", "BSTR/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_403*>(p)->UpdatePWUName(s.Value<LONG>(0), s.Bstr(1), s.Bstr(2),
                                                           s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_45,
     u"SetMetaJobsRetentionFlag",
     {"long/-", "_SYSTEMTIME/-", "_SYSTEMTIME/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_45*>(p)->SetMetaJobsRetentionFlag(
             s.Value<LONG>(0), s.Value<SYSTEMTIME>(1), s.Value<SYSTEMTIME>(2), s.Value<LONG>(3),
             s.Event(4));
     }},
    {&kSbs,
     &kIDSSBS_46,
     u"RemoveUserFromASBS",
     {"long/-", "u:rec:_pWU_403/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_46*>(p)->RemoveUserFromASBS(s.Value<LONG>(0), s.Ptr<_pWU_403>(1),
                                                               s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS_46,
     u"AddUserToASBS46",
     {"long/-", "long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_46*>(p)->AddUserToASBS46(s.Value<LONG>(0), s.Value<LONG>(1),
                                                            s.Value<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_46,
     u"GetImpersonatedUserName",
     {"-/BSTR", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_46*>(p)->GetImpersonatedUserName(s.Ptr<BSTR>(0), s.Event(1));
     }},
    {&kSbs,
     &kIDSSBS_57,
     u"GetSBSJobCount",
     {"long/-", "int/-", "long/-", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_57*>(p)->GetSBSJobCount(
             s.Value<LONG>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Ptr<LONG>(3), s.Event(4));
     }},
    {&kSbs,
     &kIDSSBS_57,
     u"GetSBSArchivedSpaceUsed",
     {"long/-", "-/__int64", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_57*>(p)->GetSBSArchivedSpaceUsed(s.Value<LONG>(0),
                                                                    s.Ptr<LONGLONG>(1), s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetMetaJobsForSBS61",
     {"long/-", "-/arr:raw:133:41", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetMetaJobsForSBS61(
             s.Value<LONG>(0), s.Ptr<_sbsmetajob*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetSBSInfo61",
     {"long/-", "-/u*:rec:_sbsinfo", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetSBSInfo61(s.Value<LONG>(0), s.Ptr<_sbsinfo*>(1),
                                                         s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetSBSExcludeList61",
     {"long/-", "-/arr:rec:_viewFilterItem", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetSBSExcludeList61(
             s.Value<LONG>(0), s.Ptr<_viewFilterItem*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetAllVolumesForSBS61",
     {"long/-", "-/arr:rec:_volumeinfo", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetAllVolumesForSBS61(
             s.Value<LONG>(0), s.Ptr<_volumeinfo*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetComputersByPWU61",
     {"BSTR/-", "BSTR/-", "-/arr:rec:_sbsinfo", "cnt*:2", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetComputersByPWU61(
             s.Bstr(0), s.Bstr(1), s.Ptr<_sbsinfo*>(2), s.Ptr<LONG>(3), s.Event(4));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetProcessedMetaJobs61",
     {"long/-", "unsigned char/-", "-/arr:rec:_processedMetaJob", "cnt*:2", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetProcessedMetaJobs61(
             s.Value<LONG>(0), s.Value<BYTE>(1), s.Ptr<_processedMetaJob*>(2), s.Ptr<LONG>(3),
             s.Event(4));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetSchedulesForASBS61",
     {"long/-", "-/arr:rec:_backupschedule", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetSchedulesForASBS61(
             s.Value<LONG>(0), s.Ptr<_backupschedule*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetVolumesInAMetaJob61",
     {"long/-", "-/arr:raw:180:31", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetVolumesInAMetaJob61(
             s.Value<LONG>(0), s.Ptr<_backedUpVolume*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetSBSInfoList61",
     {"-/arr:rec:_sbsinfo", "cnt*:0", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetSBSInfoList61(s.Ptr<_sbsinfo*>(0), s.Ptr<LONG>(1),
                                                             s.Value<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetSBSFlags61",
     {"long/-", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetSBSFlags61(s.Value<LONG>(0), s.Ptr<LONG>(1),
                                                          s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetSchedulesForASBS401Ex",
     {"long/-", "-/arr:rec:_backupschedule_401", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetSchedulesForASBS401Ex(
             s.Value<LONG>(0), s.Ptr<_backupschedule_401*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetAllVolumesForSBS403Ex",
     {"long/-", "-/arr:rec:_volumeinfo403", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetAllVolumesForSBS403Ex(
             s.Value<LONG>(0), s.Ptr<_volumeinfo403*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetProcessedMetaJobsEx",
     {"long/-", "unsigned char/-", "long/-", "_SYSTEMTIME/-",
      "arr:rec:_processedMetaJob/arr:rec:_processedMetaJob", "cnt*:4", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetProcessedMetaJobsEx(
             s.Value<LONG>(0), s.Value<BYTE>(1), s.Value<LONG>(2), s.Value<SYSTEMTIME>(3),
             s.Ptr<_processedMetaJob*>(4), s.Ptr<LONG>(5), s.Event(6));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetClientOptions",
     {"GUID/-", "-/BSTR", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetClientOptions(s.Value<GUID>(0), s.Ptr<BSTR>(1),
                                                             s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS_61,
     u"GetClientPolicies",
     {"GUID/-", "-/BSTR", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_61*>(p)->GetClientPolicies(s.Value<GUID>(0), s.Ptr<BSTR>(1),
                                                              s.Event(2));
     }},
    {&kSbs,
     &kIDSSBS_62,
     u"GetMachinesByUser",
     {"BSTR/-", "long/-", "-/long", "-/arr:rec:_machineinfo", "cnt*:3", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_62*>(p)->GetMachinesByUser(
             s.Bstr(0), s.Value<LONG>(1), s.Ptr<LONG>(2), s.Ptr<_machineinfo*>(3), s.Ptr<LONG>(4),
             s.Event(5));
     }},
    {&kSbs,
     &kIDSSBS_62,
     u"QueryNotification62",
     {"long/-", "long/-", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_62*>(p)->QueryNotification62(s.Value<LONG>(0), s.Value<LONG>(1),
                                                                s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_62,
     u"AddNotification62",
     {"long/-", "long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_62*>(p)->AddNotification62(s.Value<LONG>(0), s.Value<LONG>(1),
                                                              s.Value<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_62,
     u"RemoveNotification62",
     {"long/-", "long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_62*>(p)->RemoveNotification62(s.Value<LONG>(0), s.Value<LONG>(1),
                                                                 s.Value<LONG>(2), s.Event(3));
     }},
    {&kSbs,
     &kIDSSBS_621,
     u"GetMachinesGroupByUser",
     {"BSTR/-", "long/-", "long/-", "long/-", "-/long", "-/arr:rec:_machineinfo", "cnt*:5",
      "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_621*>(p)->GetMachinesGroupByUser(
             s.Bstr(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Value<LONG>(3), s.Ptr<LONG>(4),
             s.Ptr<_machineinfo*>(5), s.Ptr<LONG>(6), s.Event(7));
     }},
    {&kSbs,
     &kIDSSBS_621,
     u"GetMachinesCountByUser",
     {"BSTR/-", "long/-", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IDSSBS_621*>(p)->GetMachinesCountByUser(s.Bstr(0), s.Value<LONG>(1),
                                                                    s.Ptr<LONG>(2), s.Event(3));
     }},
};

const SweepCase
    kVaultCases[] =
        {
            {&kVault,
             &kIDSVault,
             u"GetVaultCapacity",
             {"BSTR/-", "-/__int64", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetVaultCapacity(s.Bstr(0), s.Ptr<LONGLONG>(1),
                                                                    s.Event(2));
             }},
            {&kVault,
             &kIDSVault,
             u"GetVaultUsedSpace",
             {"BSTR/-", "-/__int64", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetVaultUsedSpace(s.Bstr(0), s.Ptr<LONGLONG>(1),
                                                                     s.Event(2));
             }},
            {&kVault,
             &kIDSVault,
             u"GetVaultSettings",
             {"BSTR/-", "-/rec:_vaultSettings", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetVaultSettings(
                     s.Bstr(0), s.Ptr<_vaultSettings>(1), s.Event(2));
             }},
            {&kVault,
             &kIDSVault,
             u"GetVaultComputers",
             {"long/-", "BSTR/-", "arr:rec:_sbsinfo/arr:rec:_sbsinfo", "cnt*:2", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetVaultComputers(
                     s.Value<LONG>(0), s.Bstr(1), s.Ptr<_sbsinfo*>(2), s.Ptr<LONG>(3), s.Event(4));
             }},
            {&kVault,
             &kIDSVault,
             u"GetVaultExcludeList",
             {"BSTR/-", "arr:rec:_viewFilterItem/arr:rec:_viewFilterItem", "cnt*:1", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetVaultExcludeList(
                     s.Bstr(0), s.Ptr<_viewFilterItem*>(1), s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault,
             u"GetRawStorageVolumes",
             {"BSTR/-", "arr:rec:_rawVolume/arr:rec:_rawVolume", "cnt*:1", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetRawStorageVolumes(
                     s.Bstr(0), s.Ptr<_rawVolume*>(1), s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault,
             u"GetConcurrentMetaJobLimit",
             {"BSTR/-", "arr:raw:192:24/arr:raw:192:24", "cnt*:1", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetConcurrentMetaJobLimit(
                     s.Bstr(0), s.Ptr<_concurrentMetaJobLimit*>(1), s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault,
             u"AddVolumesToRawStorage",
             {"BSTR/-", "arr:rec:_rawVolume/-", "cnt:1", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->AddVolumesToRawStorage(
                     s.Bstr(0), s.Ptr<_rawVolume>(1), s.Value<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault,
             u"UpdateRawStorageVolume",
             {"u:rec:_rawVolume/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->UpdateRawStorageVolume(s.Ptr<_rawVolume>(0),
                                                                          s.Event(1));
             }},
            {&kVault,
             &kIDSVault,
             u"GetVaultPWUs",
             {"BSTR/-", "arr:rec:_pWU/arr:rec:_pWU", "cnt*:1", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetVaultPWUs(s.Bstr(0), s.Ptr<_pWU*>(1),
                                                                s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault,
             u"SetConcurrentMetaJobLimit",
             {"BSTR/-", "arr:raw:192:24/-", "cnt:1", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->SetConcurrentMetaJobLimit(
                     s.Bstr(0), s.Ptr<_concurrentMetaJobLimit>(1), s.Value<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault,
             u"GetVaultMachineGroups",
             {"BSTR/-", "arr:rec:_machineGroup/arr:rec:_machineGroup", "cnt*:1", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetVaultMachineGroups(
                     s.Bstr(0), s.Ptr<_machineGroup*>(1), s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault,
             u"AddVaultMachineGroup",
             {"BSTR/-", "u:rec:_machineGroup/-", "-/long", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->AddVaultMachineGroup(
                     s.Bstr(0), s.Ptr<_machineGroup>(1), s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault,
             u"DeleteVaultMachineGroup",
             {"long/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->DeleteVaultMachineGroup(s.Value<LONG>(0),
                                                                           s.Event(1));
             }},
            {&kVault,
             &kIDSVault,
             u"GetGroupInfo",
             {"long/-", "u:rec:_machineGroup/u:rec:_machineGroup", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetGroupInfo(
                     s.Value<LONG>(0), s.Ptr<_machineGroup>(1), s.Event(2));
             }},
            {&kVault,
             &kIDSVault,
             u"GetAllSBSs",
             {"-/arr:raw:195:5", "cnt*:0", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetAllSBSs(s.Ptr<_sbskeyinfo*>(0),
                                                              s.Ptr<LONG>(1), s.Event(2));
             }},
            {&kVault,
             &kIDSVault,
             u"AddServerSchedules",
             {"int/-", "arr:raw:171:28/arr:raw:171:28", "cnt:1", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->AddServerSchedules(s.Value<_metajobtype>(0),
                                                                      s.Ptr<_scheduleinfo*>(1),
                                                                      s.Value<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault,
             u"GetServerSchedules",
             {"int/-", "-/arr:raw:171:28", "cnt*:1", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetServerSchedules(s.Value<_metajobtype>(0),
                                                                      s.Ptr<_scheduleinfo*>(1),
                                                                      s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault,
             u"DeleteServerSchedules",
             {"arr:block:4/-", "cnt:0", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->DeleteServerSchedules(
                     s.Ptr<LONG>(0), s.Value<LONG>(1), s.Event(2));
             }},
            {&kVault,
             &kIDSVault,
             u"EnableSBS",
             {"long/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->EnableSBS(s.Value<LONG>(0), s.Event(1));
             }},
            {&kVault,
             &kIDSVault,
             u"DisableSBS",
             {"long/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->DisableSBS(s.Value<LONG>(0), s.Event(1));
             }},
            {&kVault,
             &kIDSVault,
             u"UpdateRawVolumeAvailability",
             {"long/-", "int/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->UpdateRawVolumeAvailability(
                     s.Value<LONG>(0), s.Value<_RawVolumeStatus>(1), s.Event(2));
             }},
            {&kVault,
             &kIDSVault,
             u"UnsuspendAllSBSs",
             {"event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->UnsuspendAllSBSs(s.Event(0));
             }},
            {&kVault,
             &kIDSVault,
             u"RunAtRiskReport",
             {"BSTR/-", "long/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->RunAtRiskReport(s.Bstr(0), s.Value<LONG>(1),
                                                                   s.Event(2));
             }},
            {&kVault,
             &kIDSVault,
             u"RunDailyDetailReport",
             {"BSTR/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->RunDailyDetailReport(s.Bstr(0), s.Event(1));
             }},
            {&kVault,
             &kIDSVault,
             u"RunUserStatusReport",
             {"BSTR/-", "long/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->RunUserStatusReport(s.Bstr(0), s.Value<LONG>(1),
                                                                       s.Event(2));
             }},
            {&kVault,
             &kIDSVault,
             u"RunVaultDetailReport",
             {"BSTR/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->RunVaultDetailReport(s.Bstr(0), s.Event(1));
             }},
            {&kVault,
             &kIDSVault,
             u"GetVaultDefaultSchedule",
             {"-/raw:171:28", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetVaultDefaultSchedule(s.Ptr<_scheduleinfo>(0),
                                                                           s.Event(1));
             }},
            {&kVault,
             &kIDSVault,
             u"SetVaultDefaultSchedule",
             {"raw:171:28/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->SetVaultDefaultSchedule(
                     s.Value<_scheduleinfo>(0), s.Event(1));
             }},
            {&kVault,
             &kIDSVault,
             u"GetServerJobThrottleSettings",
             {"BSTR/-", "-/long", "-/long", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetServerJobThrottleSettings(
                     s.Bstr(0), s.Ptr<LONG>(1), s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault,
             u"SetServerJobThrottleSettings",
             {"BSTR/-", "long/-", "long/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->SetServerJobThrottleSettings(
                     s.Bstr(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault,
             u"CheckVaultCapacityForNewSBS",
             {"BSTR/-", "-/unsigned char", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->CheckVaultCapacityForNewSBS(
                     s.Bstr(0), s.Ptr<CHAR>(1), s.Event(2));
             }},
            {&kVault,
             &kIDSVault,
             u"GetVaultName",
             {"-/BSTR", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetVaultName(s.Ptr<BSTR>(0), s.Event(1));
             }},
            {&kVault,
             &kIDSVault,
             u"GetVaultGUID",
             {"-/BSTR", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetVaultGUID(s.Ptr<BSTR>(0), s.Event(1));
             }},
            {&kVault,
             &kIDSVault,
             u"CheckActiveSBSsStatus",
             {"-/_SYSTEMTIME", "-/__int64", "-/long", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->CheckActiveSBSsStatus(
                     s.Ptr<SYSTEMTIME>(0), s.Ptr<LONGLONG>(1), s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault,
             u"AdjustToNewTimeZone",
             {"long/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->AdjustToNewTimeZone(s.Value<LONG>(0),
                                                                       s.Event(1));
             }},
            {&kVault,
             &kIDSVault,
             u"PrepareTemporaryAgentSetup",
             {"int/-", "BSTR/-", "BSTR/-", "-/BSTR", "-/unsigned long"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->PrepareTemporaryAgentSetup(
                     s.Value<LONG>(0), s.Bstr(1), s.Bstr(2), s.Ptr<BSTR>(3), s.Ptr<ULONG>(4));
             }},
            {&kVault,
             &kIDSVault,
             u"GetAgentSetupFileBlock",
             {"unsigned long/-", "BSTR/-", "unsigned long/-", "cnt*:4", "-/arr:block:1"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetAgentSetupFileBlock(
                     s.Value<ULONG>(0), s.Bstr(1), s.Value<ULONG>(2), s.Ptr<ULONG>(3),
                     s.Ptr<BYTE*>(4));
             }},
            {&kVault,
             &kIDSVault,
             u"CleanupTemporaryAgentSetup",
             {"unsigned long/-"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->CleanupTemporaryAgentSetup(s.Value<ULONG>(0));
             }},
            {&kVault,
             &kIDSVault,
             u"GetVaultVersion",
             {"u:long/u:long", "u:long/u:long", "u:long/u:long", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault*>(p)->GetVaultVersion(s.Ptr<LONG>(0), s.Ptr<LONG>(1),
                                                                   s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault_40,
             u"SetProperty",
             {"unsigned long/-", "long/-", "unsigned long/-", "cnt:4", "arr:rec:_PropertyDesc/-",
              "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_40*>(p)->SetProperty(
                     s.Value<ULONG>(0), s.Value<LONG>(1), s.Value<ULONG>(2), s.Value<LONG>(3),
                     s.Ptr<_PropertyDesc>(4), s.Event(5));
             }},
            {&kVault,
             &kIDSVault_40,
             u"CountPropertyValueEntries",
             {"unsigned long/-", "unsigned long/-", "u:rec:_PropertyDesc/-", "-/long",
              "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_40*>(p)->CountPropertyValueEntries(
                     s.Value<ULONG>(0), s.Value<ULONG>(1), s.Ptr<_PropertyDesc>(2), s.Ptr<LONG>(3),
                     s.Event(4));
             }},
            {&kVault,
             &kIDSVault_40,
             u"ReplacePropertyValue",
             {"unsigned long/-", "unsigned long/-", "u:rec:_PropertyDesc/-",
              "u:rec:_PropertyDesc/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_40*>(p)->ReplacePropertyValue(
                     s.Value<ULONG>(0), s.Value<ULONG>(1), s.Ptr<_PropertyDesc>(2),
                     s.Ptr<_PropertyDesc>(3), s.Event(4));
             }},
            {&kVault,
             &kIDSVault_40,
             u"GetTRCounter",
             {"-/unsigned long", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_40*>(p)->GetTRCounter(s.Ptr<ULONG>(0), s.Event(1));
             }},
            {&kVault,
             &kIDSVault_40,
             u"IncTRCounter",
             {"-/unsigned long", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_40*>(p)->IncTRCounter(s.Ptr<ULONG>(0), s.Event(1));
             }},
            {&kVault,
             &kIDSVault_40,
             u"GetTimeInfo",
             {"-/raw:197:192", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_40*>(p)->GetTimeInfo(s.Ptr<_VaultTimeInfo>(0),
                                                                  s.Event(1));
             }},
            {&kVault,
             &kIDSVault_402,
             u"PurgeDatabase",
             {"int/-", "int/-", "int/-", "int/-", "int/-", "int/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_402*>(p)->PurgeDatabase(
                     s.Value<INT>(0), s.Value<INT>(1), s.Value<INT>(2), s.Value<INT>(3),
                     s.Value<INT>(4), s.Value<INT>(5), s.Event(6));
             }},
            {&kVault,
             &kIDSVault_403,
             u"IsFeatureEnabled",
             {"unsigned long/-", "-/int", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_403*>(p)->IsFeatureEnabled(s.Value<ULONG>(0),
                                                                        s.Ptr<LONG>(1), s.Event(2));
             }},
            {&kVault,
             &kIDSVault_403,
             u"SetNodeConcurrentMetaJobLimit",
             {"int/-", "long/-", "arr:raw:198:28/-", "cnt:2", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_403*>(p)->SetNodeConcurrentMetaJobLimit(
                     s.Value<_typeOfNode>(0), s.Value<LONG>(1),
                     s.Ptr<_concurrentMetaJobLimit403>(2), s.Value<LONG>(3), s.Event(4));
             }},
            {&kVault,
             &kIDSVault_403,
             u"GetNodeConcurrentMetaJobLimit",
             {"int/-", "long/-", "arr:raw:198:28/arr:raw:198:28", "cnt*:2", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_403*>(p)->GetNodeConcurrentMetaJobLimit(
                     s.Value<_typeOfNode>(0), s.Value<LONG>(1),
                     s.Ptr<_concurrentMetaJobLimit403*>(2), s.Ptr<LONG>(3), s.Event(4));
             }},
            {&kVault,
             &kIDSVault_403,
             u"DeleteNodeConcurrentMetaJobLimit",
             {"int/-", "long/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_403*>(p)->DeleteNodeConcurrentMetaJobLimit(
                     s.Value<_typeOfNode>(0), s.Value<LONG>(1), s.Event(2));
             }},
            {&kVault,
             &kIDSVault_403,
             u"GetVaultComponentSet",
             {"-/unsigned long", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_403*>(p)->GetVaultComponentSet(s.Ptr<ULONG>(0),
                                                                            s.Event(1));
             }},
            {&kVault,
             &kIDSVault_403,
             u"UpdateLocalDomain",
             {"BSTR/-", "BSTR/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_403*>(p)->UpdateLocalDomain(s.Bstr(0), s.Bstr(1),
                                                                         s.Event(2));
             }},
            {&kVault,
             &kIDSVault_403,
             u"PropagateCommonProperty",
             {"int/-", "long/-", "int/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_403*>(p)->PropagateCommonProperty(
                     s.Value<_typeOfNode>(0), s.Value<LONG>(1), s.Value<_typeOfProperty>(2),
                     s.Event(3));
             }},
            {&kVault,
             &kIDSVault_46,
             u"PrepareTemporaryAgentSetup46",
             {"int/-", "BSTR/-", "BSTR/-", "BSTR/-", "-/BSTR", "-/unsigned long"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_46*>(p)->PrepareTemporaryAgentSetup46(
                     s.Value<LONG>(0), s.Bstr(1), s.Bstr(2), s.Bstr(3), s.Ptr<BSTR>(4),
                     s.Ptr<ULONG>(5));
             }},
            {&kVault,
             &kIDSVault_46,
             u"IsRepositoryAddress",
             {"BSTR/-"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_46*>(p)->IsRepositoryAddress(s.Bstr(0));
             }},
            {&kVault,
             &kIDSVault_46,
             u"IsComputerUnprotected",
             {"long/-", "u:int/u:int", "u:_SYSTEMTIME/u:_SYSTEMTIME", "u:int/u:int",
              "u:unsigned long/u:unsigned long", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_46*>(p)->IsComputerUnprotected(
                     s.Value<LONG>(0), s.Ptr<LONG>(1), s.Ptr<SYSTEMTIME>(2), s.Ptr<_status>(3),
                     s.Ptr<ULONG>(4), s.Event(5));
             }},
            {&kVault,
             &kIDSVault_46,
             u"GetUnprotectedComputers",
             {"arr:rec:_sbsinfo/arr:rec:_sbsinfo", "cnt*:0", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_46*>(p)->GetUnprotectedComputers(
                     s.Ptr<_sbsinfo*>(0), s.Ptr<LONG>(1), s.Event(2));
             }},
            {&kVault,
             &kIDSVault_46,
             u"GetNotUpdatedComputers",
             {"arr:rec:_sbsinfo/arr:rec:_sbsinfo", "cnt*:0", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_46*>(p)->GetNotUpdatedComputers(
                     s.Ptr<_sbsinfo*>(0), s.Ptr<LONG>(1), s.Event(2));
             }},
            {&kVault,
             &kIDSVault_51,
             u"GetVaultDefaultSchedule51",
             {"-/raw:186:32", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_51*>(p)->GetVaultDefaultSchedule51(
                     s.Ptr<_scheduleinfo_401>(0), s.Event(1));
             }},
            {&kVault,
             &kIDSVault_51,
             u"SetVaultDefaultSchedule51",
             {"raw:186:32/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_51*>(p)->SetVaultDefaultSchedule51(
                     s.Value<_scheduleinfo_401>(0), s.Event(1));
             }},
            {&kVault,
             &kIDSVault_51,
             u"GetVaultWinVersion",
             {"u:unsigned __int64/u:unsigned __int64"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_51*>(p)->GetVaultWinVersion(s.Ptr<ULARGE_INTEGER>(0));
             }},
            {&kVault,
             &kIDSVault_60,
             u"PrepareTemporaryAgentSetup60",
             {"int/-", "BSTR/-", "BSTR/-", "BSTR/-", "unsigned long/-", "-/BSTR",
              "-/unsigned long"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_60*>(p)->PrepareTemporaryAgentSetup60(
                     s.Value<LONG>(0), s.Bstr(1), s.Bstr(2), s.Bstr(3), s.Value<ULONG>(4),
                     s.Ptr<BSTR>(5), s.Ptr<ULONG>(6));
             }},
            {&kVault,
             &kIDSVault_61,
             u"GetVaultComputers61",
             {"long/-", "BSTR/-", "-/arr:rec:_sbsinfo", "cnt*:2", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->GetVaultComputers61(
                     s.Value<LONG>(0), s.Bstr(1), s.Ptr<_sbsinfo*>(2), s.Ptr<LONG>(3), s.Event(4));
             }},
            {&kVault,
             &kIDSVault_61,
             u"GetRawStorageVolumes61",
             {"BSTR/-", "-/arr:rec:_rawVolume", "cnt*:1", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->GetRawStorageVolumes61(
                     s.Bstr(0), s.Ptr<_rawVolume*>(1), s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault_61,
             u"GetVaultPWUs61",
             {"BSTR/-", "-/arr:rec:_pWU", "cnt*:1", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->GetVaultPWUs61(s.Bstr(0), s.Ptr<_pWU*>(1),
                                                                     s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault_61,
             u"GetVaultMachineGroups61",
             {"BSTR/-", "-/arr:rec:_machineGroup", "cnt*:1", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->GetVaultMachineGroups61(
                     s.Bstr(0), s.Ptr<_machineGroup*>(1), s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault_61,
             u"GetGroupInfo61",
             {"long/-", "-/rec:_machineGroup", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->GetGroupInfo61(
                     s.Value<LONG>(0), s.Ptr<_machineGroup>(1), s.Event(2));
             }},
            {&kVault,
             &kIDSVault_61,
             u"GetAllSBSs61",
             {"-/arr:raw:195:5", "cnt*:0", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->GetAllSBSs61(s.Ptr<_sbskeyinfo*>(0),
                                                                   s.Ptr<LONG>(1), s.Event(2));
             }},
            {&kVault,
             &kIDSVault_61,
             u"GetVaultVersion61",
             {"-/long", "-/long", "-/long", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->GetVaultVersion61(
                     s.Ptr<LONG>(0), s.Ptr<LONG>(1), s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault_61,
             u"GetNodeConcurrentMetaJobLimit61",
             {"int/-", "long/-", "-/arr:raw:198:28", "cnt*:2", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->GetNodeConcurrentMetaJobLimit61(
                     s.Value<_typeOfNode>(0), s.Value<LONG>(1),
                     s.Ptr<_concurrentMetaJobLimit403*>(2), s.Ptr<LONG>(3), s.Event(4));
             }},
            {&kVault,
             &kIDSVault_61,
             u"GetVaultWinVersion61",
             {"-/unsigned __int64"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->GetVaultWinVersion61(
                     s.Ptr<ULARGE_INTEGER>(0));
             }},
            {&kVault,
             &kIDSVault_61,
             u"GetProperty61",
             {"unsigned long/-", "long/-", "unsigned long/-", "arr:BSTR/-", "cnt:3",
              "-/arr:rec:_PropertyDesc", "cnt*:5", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->GetProperty61(
                     s.Value<ULONG>(0), s.Value<LONG>(1), s.Value<ULONG>(2), s.Ptr<BSTR>(3),
                     s.Value<LONG>(4), s.Ptr<_PropertyDesc*>(5), s.Ptr<LONG>(6), s.Event(7));
             }},
            {&kVault,
             &kIDSVault_61,
             u"GetLocalGroupMembers",
             {"long/-", "-/arr:BSTR", "cnt*:1", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->GetLocalGroupMembers(
                     s.Value<LONG>(0), s.Ptr<BSTR*>(1), s.Ptr<LONG>(2), s.Event(3));
             }},
            {&kVault,
             &kIDSVault_61,
             u"AddLocalGroupMember",
             {"long/-", "BSTR/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->AddLocalGroupMember(s.Value<LONG>(0),
                                                                          s.Bstr(1), s.Event(2));
             }},
            {&kVault,
             &kIDSVault_61,
             u"AccelerateVaultActions",
             {"long/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->AccelerateVaultActions(s.Value<LONG>(0),
                                                                             s.Event(1));
             }},
            {&kVault,
             &kIDSVault_61,
             u"GetNumRunningVaults",
             {"-/long", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->GetNumRunningVaults(s.Ptr<LONG>(0),
                                                                          s.Event(1));
             }},
            {&kVault,
             &kIDSVault_61,
             u"DeleteAllData",
             {"event/event"},
             [](void* p,
                Slots& s) { return static_cast<IDSVault_61*>(p)->DeleteAllData(s.Event(0)); }},
            {&kVault,
             &kIDSVault_61,
             u"GetAllTablesNames",
             {"-/arr:BSTR", "cnt*:0", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->GetAllTablesNames(s.Ptr<BSTR*>(0),
                                                                        s.Ptr<LONG>(1), s.Event(2));
             }},
            {&kVault,
             &kIDSVault_61,
             u"OptimizeTable",
             {"BSTR/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_61*>(p)->OptimizeTable(s.Bstr(0), s.Event(1));
             }},
            {&kVault,
             &kIDSVault_62,
             u"AddServerSchedule",
             {"int/-", "u:raw:171:28/raw:171:28", "long/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_62*>(p)->AddServerSchedule(
                     s.Value<_metajobtype>(0), s.Ptr<_scheduleinfo>(1), s.Value<LONG>(2),
                     s.Event(3));
             }},
            {&kVault,
             &kIDSVault_62,
             u"MaintenanceDB",
             {"int/-", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_62*>(p)->MaintenanceDB(s.Value<INT>(0), s.Event(1));
             }},
            {&kVault,
             &kIDSVault_62,
             u"RecalcSBSSpaceUsed",
             {"event/event"},
             [](void* p,
                Slots& s) { return static_cast<IDSVault_62*>(p)->RecalcSBSSpaceUsed(s.Event(0)); }},
            {&kVault,
             &kIDSVault_621,
             u"GetStorageStatus",
             {"-/int", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_621*>(p)->GetStorageStatus(s.Ptr<LONG>(0), s.Event(1));
             }},
            {&kVault,
             &kIDSVault_621,
             u"GetVaultGroupHistory",
             {"long/-", "-/arr:rec:_vaultgrouphistory", "cnt*:1", "event/event"},
             [](void* p, Slots& s) {
                 return static_cast<IDSVault_621*>(p)->GetVaultGroupHistory(
                     s.Value<LONG>(0), s.Ptr<_vaultgrouphistory*>(1), s.Ptr<LONG>(2), s.Event(3));
             }},
};

const SweepCase kJobQueueCases[] = {
    {&kJobQueue,
     &kIJobQueue,
     u"SubmitJob",
     {"u*:rec:_metajobspec/u*:rec:_metajobspec", "u:int/u:int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->SubmitJob(s.Ptr<_metajobspec*>(0),
                                                      s.Ptr<_submitstatus>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"GetNextJob",
     {"u*:rec:_metajobspec/u*:rec:_metajobspec", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->GetNextJob(s.Ptr<_metajobspec*>(0), s.Event(1));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"StopJob",
     {"long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->StopJob(s.Value<LONG>(0), s.Event(1));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"UpdateMetaJobStatus",
     {"long/-", "raw:172:6/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->UpdateMetaJobStatus(s.Value<LONG>(0),
                                                                s.Value<_jobstatus>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"UpdateBackupJobLog",
     {"raw:199:139/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->UpdateBackupJobLog(s.Value<_backupjoblog>(0),
                                                               s.Event(1));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"ReadMetaJobs",
     {"u*:rec:_metajobs/u*:rec:_metajobs", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->ReadMetaJobs(s.Ptr<_metajobs*>(0), s.Event(1));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"GetJobStatus",
     {"long/-", "long/-", "u:int/u:int", "u:int/u:int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->GetJobStatus(
             s.Value<LONG>(0), s.Value<LONG>(1), s.Ptr<_status>(2), s.Ptr<_status>(3), s.Event(4));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"UpdateRestoreLog",
     {"raw:201:24/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->UpdateRestoreLog(s.Value<_restorejoblog>(0),
                                                             s.Event(1));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"SubmitManualBackupJob",
     {"rec:_manualBackupSpec/-", "u*:rec:_metajobspec/u*:rec:_metajobspec", "u:int/u:int",
      "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->SubmitManualBackupJob(
             s.Value<_manualBackupSpec>(0), s.Ptr<_metajobspec*>(1), s.Ptr<_submitstatus>(2),
             s.Event(3));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"SubmitRestoreJob",
     {"u:rec:_restorespec/-", "u*:rec:_metajobspec/u*:rec:_metajobspec", "u:int/u:int",
      "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->SubmitRestoreJob(
             s.Ptr<_restorespec>(0), s.Ptr<_metajobspec*>(1), s.Ptr<_submitstatus>(2), s.Event(3));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"AppendJobSpecFilterList",
     {"long/-", "long/-", "arr:rec:_viewFilterItem/-", "cnt:2", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->AppendJobSpecFilterList(
             s.Value<LONG>(0), s.Value<LONG>(1), s.Ptr<_viewFilterItem>(2), s.Value<LONG>(3),
             s.Event(4));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"ScheduleJob",
     {"long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->ScheduleJob(s.Value<LONG>(0), s.Value<LONG>(1),
                                                        s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"SubmitRegistryRestoreJob",
     {"u:rec:_restorespec/-", "u:long/u:long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->SubmitRegistryRestoreJob(s.Ptr<_restorespec>(0),
                                                                     s.Ptr<LONG>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"CheckForPendingJobs",
     {"event/event"},
     [](void* p, Slots& s) { return static_cast<IJobQueue*>(p)->CheckForPendingJobs(s.Event(0)); }},
    {&kJobQueue,
     &kIJobQueue,
     u"IsAnyClientJobDead",
     {"long/-", "arr:raw:205:8/arr:raw:205:8", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->IsAnyClientJobDead(
             s.Value<LONG>(0), s.Ptr<_deadjob*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"UpdateJobStatus",
     {"long/-", "long/-", "raw:172:6/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->UpdateJobStatus(s.Value<LONG>(0), s.Value<LONG>(1),
                                                            s.Value<_jobstatus>(2), s.Event(3));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"CanManualJobBeRun",
     {"u:long/u:long", "u:int/u:int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->CanManualJobBeRun(s.Ptr<LONG>(0),
                                                              s.Ptr<_submitstatus>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"GetMetaJob",
     {"long/-", "u*:rec:_metajobspec/u*:rec:_metajobspec", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->GetMetaJob(s.Value<LONG>(0), s.Ptr<_metajobspec*>(1),
                                                       s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"ResetMetaJob",
     {"long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->ResetMetaJob(s.Value<LONG>(0), s.Event(1));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"AccelerateScheduledJob",
     {"GUID/-", "_FILETIME/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->AccelerateScheduledJob(
             s.Value<GUID>(0), s.Value<FILETIME>(1), s.Event(2));
     }},
    {&kJobQueue, &kIJobQueue, u"InitializeJobQueue", std::vector<std::string_view>{},
     [](void* p, Slots&) { return static_cast<IJobQueue*>(p)->InitializeJobQueue(); }},
    {&kJobQueue, &kIJobQueue, u"UninitializeJobQueue", std::vector<std::string_view>{},
     [](void* p, Slots&) { return static_cast<IJobQueue*>(p)->UninitializeJobQueue(); }},
    {&kJobQueue,
     &kIJobQueue,
     u"DeleteMetaJob",
     {"long/-", "unsigned char/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->DeleteMetaJob(s.Value<LONG>(0), s.Value<CHAR>(1),
                                                          s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"UpdateDeleteLog",
     {"raw:206:24/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->UpdateDeleteLog(s.Value<_deletejoblog>(0), s.Event(1));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"SetServerJob",
     {"long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->SetServerJob(s.Value<LONG>(0), s.Event(1));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"DeleteMetaJobBySBSKey",
     {"long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->DeleteMetaJobBySBSKey(s.Value<LONG>(0), s.Event(1));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"GetNumberOfRunningJobs",
     {"-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->GetNumberOfRunningJobs(s.Ptr<LONG>(0), s.Event(1));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"UpdateMetaJobCompletionLog",
     {"long/-", "raw:207:516/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->UpdateMetaJobCompletionLog(
             s.Value<LONG>(0), s.Value<_metaJobCompletionLog>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"GetLogFileInfo",
     {"BSTR/-", "-/raw:208:8", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->GetLogFileInfo(s.Bstr(0), s.Ptr<tagLOG_FILE_INFO>(1),
                                                           s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"GetLogFileBlock",
     {"BSTR/-", "unsigned long/-", "unsigned long/-", "cnt*:4", "-/arr:block:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->GetLogFileBlock(s.Bstr(0), s.Value<ULONG>(1),
                                                            s.Value<ULONG>(2), s.Ptr<ULONG>(3),
                                                            s.Ptr<BYTE*>(4), s.Event(5));
     }},
    {&kJobQueue,
     &kIJobQueue,
     u"SubmitRollbackJob",
     {"u:rec:_metajobspec/-", "u:int/u:int", "long/-", "u:long/u:long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue*>(p)->SubmitRollbackJob(
             s.Ptr<_metajobspec>(0), s.Ptr<_submitstatus>(1), s.Value<LONG>(2), s.Ptr<LONG>(3),
             s.Event(4));
     }},
    {&kJobQueue,
     &kIJobQueue_401,
     u"AccelerateServerScheduledJob",
     {"int/-", "_FILETIME/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_401*>(p)->AccelerateServerScheduledJob(
             s.Value<_metajobtype>(0), s.Value<FILETIME>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_401,
     u"SubmitServerJob",
     {"u:rec:_metajobspec/-", "u:int/u:int", "long/-", "u:long/u:long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_401*>(p)->SubmitServerJob(
             s.Ptr<_metajobspec>(0), s.Ptr<_submitstatus>(1), s.Value<LONG>(2), s.Ptr<LONG>(3),
             s.Event(4));
     }},
    {&kJobQueue,
     &kIJobQueue_401,
     u"CheckJobConcurrencyLimit",
     {"u:long/u:long", "u:long/u:long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_401*>(p)->CheckJobConcurrencyLimit(
             s.Ptr<LONG>(0), s.Ptr<LONG>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_401,
     u"ForceScheduledJob",
     {"GUID/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_401*>(p)->ForceScheduledJob(s.Value<GUID>(0), s.Event(1));
     }},
    {&kJobQueue,
     &kIJobQueue_403,
     u"SubmitJob403",
     {"u*:rec:_metajobspec403/u*:rec:_metajobspec403", "u:int/u:int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_403*>(p)->SubmitJob403(s.Ptr<_metajobspec403*>(0),
                                                             s.Ptr<_submitstatus>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_403,
     u"SubmitRestoreJob403",
     {"u:rec:_restorespec/-", "long/-", "u*:rec:_metajobspec/u*:rec:_metajobspec", "u:int/u:int",
      "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_403*>(p)->SubmitRestoreJob403(
             s.Ptr<_restorespec>(0), s.Value<LONG>(1), s.Ptr<_metajobspec*>(2),
             s.Ptr<_submitstatus>(3), s.Event(4));
     }},
    {&kJobQueue,
     &kIJobQueue_403,
     u"CanClientJobBeRun",
     {"u:rec:_metajobspec403/-", "u:int/u:int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_403*>(p)->CanClientJobBeRun(
             s.Ptr<_metajobspec403>(0), s.Ptr<_submitstatus>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_51,
     u"ReadMetaJobs51",
     {"u*:rec:_metajobs/u*:rec:_metajobs", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_51*>(p)->ReadMetaJobs51(s.Ptr<_metajobs*>(0),
                                                              s.Value<LONG>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_51,
     u"GetLastMJForSBS",
     {"long/-", "int/-", "u:long/u:long", "u:int/u:int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_51*>(p)->GetLastMJForSBS(
             s.Value<LONG>(0), s.Value<_metajobtype>(1), s.Ptr<LONG>(2), s.Ptr<_status>(3),
             s.Event(4));
     }},
    {&kJobQueue,
     &kIJobQueue_51,
     u"ResetMetaJob51",
     {"long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_51*>(p)->ResetMetaJob51(s.Value<LONG>(0), s.Value<LONG>(1),
                                                              s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_60,
     u"GetJobStatus60",
     {"long/-", "long/-", "u:raw:172:6/u:raw:172:6", "u:raw:172:6/u:raw:172:6", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_60*>(p)->GetJobStatus60(s.Value<LONG>(0), s.Value<LONG>(1),
                                                              s.Ptr<_jobstatus>(2),
                                                              s.Ptr<_jobstatus>(3), s.Event(4));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"SubmitJob61",
     {"u*:rec:_metajobspec/u*:rec:_metajobspec", "-/int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->SubmitJob61(s.Ptr<_metajobspec*>(0),
                                                           s.Ptr<_submitstatus>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"SubmitJob403Ex",
     {"u*:rec:_metajobspec403/u*:rec:_metajobspec403", "-/int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->SubmitJob403Ex(s.Ptr<_metajobspec403*>(0),
                                                              s.Ptr<_submitstatus>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"SubmitManualBackupJob61",
     {"rec:_manualBackupSpec/-", "u*:rec:_metajobspec/u*:rec:_metajobspec", "-/int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->SubmitManualBackupJob61(
             s.Value<_manualBackupSpec>(0), s.Ptr<_metajobspec*>(1), s.Ptr<_submitstatus>(2),
             s.Event(3));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"SubmitRestoreJob61",
     {"u:rec:_restorespec/-", "u*:rec:_metajobspec/u*:rec:_metajobspec", "-/int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->SubmitRestoreJob61(
             s.Ptr<_restorespec>(0), s.Ptr<_metajobspec*>(1), s.Ptr<_submitstatus>(2), s.Event(3));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"SubmitRestoreJob403Ex",
     {"u:rec:_restorespec/-", "long/-", "u*:rec:_metajobspec/u*:rec:_metajobspec", "-/int",
      "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->SubmitRestoreJob403Ex(
             s.Ptr<_restorespec>(0), s.Value<LONG>(1), s.Ptr<_metajobspec*>(2),
             s.Ptr<_submitstatus>(3), s.Event(4));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"CanManualJobBeRun61",
     {"u:long/u:long", "-/int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->CanManualJobBeRun61(
             s.Ptr<LONG>(0), s.Ptr<_submitstatus>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"GetNextJob61",
     {"-/u*:rec:_metajobspec", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->GetNextJob61(s.Ptr<_metajobspec*>(0), s.Event(1));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"ReadMetaJobs61",
     {"-/u*:rec:_metajobs", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->ReadMetaJobs61(s.Ptr<_metajobs*>(0), s.Event(1));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"ReadMetaJobs51Ex",
     {"-/u*:rec:_metajobs", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->ReadMetaJobs51Ex(s.Ptr<_metajobs*>(0),
                                                                s.Value<LONG>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"GetJobStatus61",
     {"long/-", "long/-", "-/int", "-/int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->GetJobStatus61(
             s.Value<LONG>(0), s.Value<LONG>(1), s.Ptr<_status>(2), s.Ptr<_status>(3), s.Event(4));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"GetMetaJob61",
     {"long/-", "-/u*:rec:_metajobspec", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->GetMetaJob61(s.Value<LONG>(0),
                                                            s.Ptr<_metajobspec*>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"GetLogFileInfo61",
     {"BSTR/-", "-/raw:208:8", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->GetLogFileInfo61(
             s.Bstr(0), s.Ptr<tagLOG_FILE_INFO>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"GetLogFileBlock61",
     {"BSTR/-", "unsigned long/-", "unsigned long/-", "cnt*:4", "-/arr:block:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->GetLogFileBlock61(s.Bstr(0), s.Value<ULONG>(1),
                                                                 s.Value<ULONG>(2), s.Ptr<ULONG>(3),
                                                                 s.Ptr<BYTE*>(4), s.Event(5));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"SubmitRollbackJob61",
     {"u:rec:_metajobspec/-", "-/int", "long/-", "-/int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->SubmitRollbackJob61(
             s.Ptr<_metajobspec>(0), s.Ptr<_submitstatus>(1), s.Value<LONG>(2), s.Ptr<LONG>(3),
             s.Event(4));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"SubmitServerJob61",
     {"u:rec:_metajobspec/-", "-/int", "long/-", "-/int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->SubmitServerJob61(
             s.Ptr<_metajobspec>(0), s.Ptr<_submitstatus>(1), s.Value<LONG>(2), s.Ptr<LONG>(3),
             s.Event(4));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"CheckJobConcurrencyLimit61",
     {"-/long", "-/long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->CheckJobConcurrencyLimit61(
             s.Ptr<LONG>(0), s.Ptr<LONG>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"CanClientJobBeRun61",
     {"u:rec:_metajobspec403/-", "-/int", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->CanClientJobBeRun61(
             s.Ptr<_metajobspec403>(0), s.Ptr<_submitstatus>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"AddUserActivityLog",
     {"GUID/-", "raw:215:52/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->AddUserActivityLog(
             s.Value<GUID>(0), s.Value<_userActivityLog>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_61,
     u"GetUserActivityLogs",
     {"GUID/-", "-/arr:raw:215:52", "cnt*:1", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_61*>(p)->GetUserActivityLogs(
             s.Value<GUID>(0), s.Ptr<_userActivityLog*>(1), s.Ptr<LONG>(2), s.Event(3));
     }},
    {&kJobQueue,
     &kIJobQueue_62,
     u"GetNextJob62",
     {"-/u*:rec:_metajobspec403", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_62*>(p)->GetNextJob62(s.Ptr<_metajobspec403*>(0), s.Event(1));
     }},
    {&kJobQueue,
     &kIJobQueue_62,
     u"SetMetaJobFlags",
     {"long/-", "long/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_62*>(p)->SetMetaJobFlags(s.Value<LONG>(0), s.Value<LONG>(1),
                                                               s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_62,
     u"GetMetaJob62",
     {"long/-", "-/u*:rec:_metajobspec403", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_62*>(p)->GetMetaJob62(s.Value<LONG>(0),
                                                            s.Ptr<_metajobspec403*>(1), s.Event(2));
     }},
    {&kJobQueue,
     &kIJobQueue_621,
     u"UpdateBackupJobLogEx",
     {"raw:199:139/-", "BSTR/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<IJobQueue_621*>(p)->UpdateBackupJobLogEx(s.Value<_backupjoblog>(0),
                                                                     s.Bstr(1), s.Event(2));
     }},
};

const SweepCase kLocalUserManagerCases[] = {
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"AddUser",
     {"BSTR/-", "BSTR/-", "BSTR/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->AddUser(s.Bstr(0), s.Bstr(1), s.Bstr(2));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"DeleteUser",
     {"BSTR/-"},
     [](void* p, Slots& s) { return static_cast<INTLocalUserManager*>(p)->DeleteUser(s.Bstr(0)); }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"DoesUserExist",
     {"BSTR/-", "u:unsigned long/u:unsigned long"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->DoesUserExist(s.Bstr(0), s.Ptr<ULONG>(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"CheckAccount",
     {"BSTR/-", "BSTR/-", "u:unsigned long/u:unsigned long"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->CheckAccount(s.Bstr(0), s.Bstr(1),
                                                                   s.Ptr<ULONG>(2));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"SetPassword",
     {"BSTR/-", "BSTR/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->SetPassword(s.Bstr(0), s.Bstr(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetPassword",
     {"BSTR/-", "u:BSTR/u:BSTR"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetPassword(s.Bstr(0), s.Ptr<BSTR>(1));
     }},
    {&kLocalUserManager, &kINTLocalUserManager, u"RecreateAccounts",
     std::vector<std::string_view>{},
     [](void* p, Slots&) { return static_cast<INTLocalUserManager*>(p)->RecreateAccounts(); }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"AddComputerDescription",
     {"BSTR/-", "BSTR/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->AddComputerDescription(s.Bstr(0), s.Bstr(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetComputerDescriptions",
     {"BSTR/-", "-/arr:BSTR", "cnt*:1"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetComputerDescriptions(
             s.Bstr(0), s.Ptr<BSTR*>(1), s.Ptr<ULONG>(2));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"DoesComputerDescriptionExist",
     {"BSTR/-", "BSTR/-", "-/unsigned long"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->DoesComputerDescriptionExist(
             s.Bstr(0), s.Bstr(1), s.Ptr<ULONG>(2));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"SetExpirationStatus",
     {"BSTR/-", "unsigned long/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->SetExpirationStatus(s.Bstr(0),
                                                                          s.Value<ULONG>(1));
     }},
    {&kLocalUserManager, &kINTLocalUserManager, u"DeleteExpiredUsers",
     std::vector<std::string_view>{},
     [](void* p, Slots&) { return static_cast<INTLocalUserManager*>(p)->DeleteExpiredUsers(); }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"AddUserFromWeb",
     {"BSTR/-", "BSTR/-", "BSTR/-", "-/VARIANT"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->AddUserFromWeb(s.Bstr(0), s.Bstr(1),
                                                                     s.Bstr(2), s.Ptr<VARIANT>(3));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetUsersFromWeb",
     {"-/VARIANT"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetUsersFromWeb(s.Ptr<VARIANT>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"CheckAccountFromWeb",
     {"BSTR/-", "BSTR/-", "-/VARIANT"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->CheckAccountFromWeb(s.Bstr(0), s.Bstr(1),
                                                                          s.Ptr<VARIANT>(2));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"SetPasswordFromWeb",
     {"BSTR/-", "BSTR/-", "-/VARIANT"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->SetPasswordFromWeb(s.Bstr(0), s.Bstr(1),
                                                                         s.Ptr<VARIANT>(2));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"AddComputerDescriptionFromWeb",
     {"BSTR/-", "BSTR/-", "-/VARIANT"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->AddComputerDescriptionFromWeb(
             s.Bstr(0), s.Bstr(1), s.Ptr<VARIANT>(2));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetComputerDescriptionsFromWeb",
     {"BSTR/-", "-/VARIANT"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetComputerDescriptionsFromWeb(
             s.Bstr(0), s.Ptr<VARIANT>(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetNTTypeFromWeb",
     {"-/VARIANT"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetNTTypeFromWeb(s.Ptr<VARIANT>(0));
     }},
    {&kLocalUserManager, &kINTLocalUserManager, u"CleanUpAll", std::vector<std::string_view>{},
     [](void* p, Slots&) { return static_cast<INTLocalUserManager*>(p)->CleanUpAll(); }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetUserFlags",
     {"BSTR/-", "u:unsigned long/u:unsigned long"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetUserFlags(s.Bstr(0), s.Ptr<ULONG>(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetUserProperty",
     {"BSTR/-", "int/-", "-/VARIANT"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetUserProperty(s.Bstr(0), s.Value<INT>(1),
                                                                      s.Ptr<VARIANT>(2));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"AddUserEx",
     {"GUID/-", "BSTR/-", "BSTR/-", "BSTR/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->AddUserEx(s.Value<GUID>(0), s.Bstr(1),
                                                                s.Bstr(2), s.Bstr(3));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"DeleteUserEx",
     {"GUID/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->DeleteUserEx(s.Value<GUID>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetAllUsersEx",
     {"-/arr:BSTR", "cnt*:0"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetAllUsersEx(s.Ptr<BSTR*>(0),
                                                                    s.Ptr<ULONG>(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"AddComputerDescriptionEx",
     {"GUID/-", "BSTR/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->AddComputerDescriptionEx(s.Value<GUID>(0),
                                                                               s.Bstr(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"AddUserFromWebEx",
     {"GUID/-", "BSTR/-", "BSTR/-", "BSTR/-", "-/VARIANT"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->AddUserFromWebEx(
             s.Value<GUID>(0), s.Bstr(1), s.Bstr(2), s.Bstr(3), s.Ptr<VARIANT>(4));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetDomainName",
     {"-/BSTR"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetDomainName(s.Ptr<BSTR>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"IsTrustedDomain",
     {"BSTR/-", "-/int"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->IsTrustedDomain(s.Bstr(0), s.Ptr<INT>(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetSecurityMode",
     {"-/unsigned long"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetSecurityMode(s.Ptr<ULONG>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetSecurityModeFromWeb",
     {"-/VARIANT"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetSecurityModeFromWeb(s.Ptr<VARIANT>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetSecuritySettings",
     {"-/u:rec:_securitySettings"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetSecuritySettings(
             s.Ptr<_securitySettings>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"SetSecuritySettings",
     {"u:rec:_securitySettings/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->SetSecuritySettings(
             s.Ptr<_securitySettings>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetUserGroup",
     {"BSTR/-", "-/unsigned long"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetUserGroup(s.Bstr(0), s.Ptr<ULONG>(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"IsIISPresent",
     {"-/int"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->IsIISPresent(s.Ptr<INT>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetUASName",
     {"-/BSTR"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetUASName(s.Ptr<BSTR>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"IsAgentSetupProtected",
     {"-/int"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->IsAgentSetupProtected(s.Ptr<INT>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetSetupAccount",
     {"-/BSTR"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetSetupAccount(s.Ptr<BSTR>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"SetSetupAccount",
     {"BSTR/-", "BSTR/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->SetSetupAccount(s.Bstr(0), s.Bstr(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"EditAddAdmin",
     {"BSTR/-", "BSTR/-", "BSTR/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->EditAddAdmin(s.Bstr(0), s.Bstr(1), s.Bstr(2));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"IsValidUsername",
     {"BSTR/-", "-/BSTR", "-/unsigned long"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->IsValidUsername(s.Bstr(0), s.Ptr<BSTR>(1),
                                                                      s.Ptr<ULONG>(2));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"IsWebProtectionAllowed",
     {"-/int"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->IsWebProtectionAllowed(s.Ptr<INT>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"UpgradeUML",
     {"int/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->UpgradeUML(s.Value<INT>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"GetAllGuids",
     {"BSTR/-", "-/arr:raw:96:16", "cnt*:1"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->GetAllGuids(s.Bstr(0), s.Ptr<GUID*>(1),
                                                                  s.Ptr<ULONG>(2));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager,
     u"UpdateUserName",
     {"GUID/-", "BSTR/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager*>(p)->UpdateUserName(s.Value<GUID>(0), s.Bstr(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager_40,
     u"GetSecuritySettings_40",
     {"-/u:rec:_securitySettings40"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager_40*>(p)->GetSecuritySettings_40(
             s.Ptr<_securitySettings40>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager_40,
     u"SetSecuritySettings_40",
     {"u:rec:_securitySettings40/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager_40*>(p)->SetSecuritySettings_40(
             s.Ptr<_securitySettings40>(0));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager_40,
     u"EditAddAdmin_40",
     {"BSTR/-", "BSTR/-", "BSTR/-", "BSTR/-", "BSTR/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager_40*>(p)->EditAddAdmin_40(
             s.Bstr(0), s.Bstr(1), s.Bstr(2), s.Bstr(3), s.Bstr(4));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager_40,
     u"GetUserNameByGuid_40",
     {"GUID/-", "-/BSTR"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager_40*>(p)->GetUserNameByGuid_40(s.Value<GUID>(0),
                                                                              s.Ptr<BSTR>(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager_403,
     u"UpgradeUMLEx",
     {"int/-", "long/-", "long/-", "long/-"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager_403*>(p)->UpgradeUMLEx(
             s.Value<INT>(0), s.Value<LONG>(1), s.Value<LONG>(2), s.Value<LONG>(3));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager_61,
     u"GetAllUsersEx61",
     {"-/arr:BSTR", "cnt*:0"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager_61*>(p)->GetAllUsersEx61(s.Ptr<BSTR*>(0),
                                                                         s.Ptr<ULONG>(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager_61,
     u"DoesUserExist61",
     {"BSTR/-", "-/unsigned long"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager_61*>(p)->DoesUserExist61(s.Bstr(0),
                                                                         s.Ptr<ULONG>(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager_61,
     u"GetUserFlags61",
     {"BSTR/-", "-/unsigned long"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager_61*>(p)->GetUserFlags61(s.Bstr(0), s.Ptr<ULONG>(1));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager_61,
     u"GetAllGuids61",
     {"BSTR/-", "-/arr:raw:96:16", "cnt*:1"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager_61*>(p)->GetAllGuids61(s.Bstr(0), s.Ptr<GUID*>(1),
                                                                       s.Ptr<ULONG>(2));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager_61,
     u"CheckAccount61",
     {"BSTR/-", "BSTR/-", "-/unsigned long"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager_61*>(p)->CheckAccount61(s.Bstr(0), s.Bstr(1),
                                                                        s.Ptr<ULONG>(2));
     }},
    {&kLocalUserManager,
     &kINTLocalUserManager_61,
     u"CheckZelAccount",
     {"BSTR/-", "BSTR/-", "int/-", "-/unsigned long"},
     [](void* p, Slots& s) {
         return static_cast<INTLocalUserManager_61*>(p)->CheckZelAccount(
             s.Bstr(0), s.Bstr(1), s.Value<INT>(2), s.Ptr<ULONG>(3));
     }},
};

const SweepCase kUpdateCases[] = {
    {&kUpdate,
     &kINDMUpdateEx,
     u"IsUpdateAvailable",
     {"GUID/-", "-/raw:210:40", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<INDMUpdateEx*>(p)->IsUpdateAvailable(s.Value<GUID>(0),
                                                                 s.Ptr<_updateInfo>(1), s.Event(2));
     }},
    {&kUpdate,
     &kINDMUpdateEx,
     u"GetFileInfo",
     {"BSTR/-", "-/raw:212:8", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<INDMUpdateEx*>(p)->GetFileInfo(s.Bstr(0), s.Ptr<_updateFileInfo>(1),
                                                           s.Event(2));
     }},
    {&kUpdate,
     &kINDMUpdateEx,
     u"GetFileBlock",
     {"BSTR/-", "unsigned long/-", "unsigned long/-", "-/arr:block:1", "cnt*:3", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<INDMUpdateEx*>(p)->GetFileBlock(s.Bstr(0), s.Value<ULONG>(1),
                                                            s.Value<ULONG>(2), s.Ptr<BYTE*>(3),
                                                            s.Ptr<ULONG>(4), s.Event(5));
     }},
    {&kUpdate,
     &kINDMUpdateEx,
     u"SetSBSVersion",
     {"GUID/-", "u:raw:211:16/-", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<INDMUpdateEx*>(p)->SetSBSVersion(s.Value<GUID>(0),
                                                             s.Ptr<_sbsVersion>(1), s.Event(2));
     }},
    {&kUpdate,
     &kINDMUpdateEx,
     u"GetFileBlockCRC",
     {"BSTR/-", "unsigned long/-", "unsigned long/-", "-/unsigned long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<INDMUpdateEx*>(p)->GetFileBlockCRC(
             s.Bstr(0), s.Value<ULONG>(1), s.Value<ULONG>(2), s.Ptr<ULONG>(3), s.Event(4));
     }},
    {&kUpdate, &kINDMUpdateEx, u"Initialize", std::vector<std::string_view>{},
     [](void* p, Slots&) { return static_cast<INDMUpdateEx*>(p)->Initialize(); }},
    {&kUpdate, &kINDMUpdateEx, u"Uninitialize", std::vector<std::string_view>{},
     [](void* p, Slots&) { return static_cast<INDMUpdateEx*>(p)->Uninitialize(); }},
    {&kUpdate,
     &kINDMUpdateEx_61,
     u"GetFileInfo61",
     {"BSTR/-", "-/raw:212:8", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<INDMUpdateEx_61*>(p)->GetFileInfo61(
             s.Bstr(0), s.Ptr<_updateFileInfo>(1), s.Event(2));
     }},
    {&kUpdate,
     &kINDMUpdateEx_61,
     u"GetFileBlock61",
     {"BSTR/-", "unsigned long/-", "unsigned long/-", "-/arr:block:1", "cnt*:3", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<INDMUpdateEx_61*>(p)->GetFileBlock61(s.Bstr(0), s.Value<ULONG>(1),
                                                                 s.Value<ULONG>(2), s.Ptr<BYTE*>(3),
                                                                 s.Ptr<ULONG>(4), s.Event(5));
     }},
    {&kUpdate,
     &kINDMUpdateEx_61,
     u"GetFileBlockCRC61",
     {"BSTR/-", "unsigned long/-", "unsigned long/-", "-/unsigned long", "event/event"},
     [](void* p, Slots& s) {
         return static_cast<INDMUpdateEx_61*>(p)->GetFileBlockCRC61(
             s.Bstr(0), s.Value<ULONG>(1), s.Value<ULONG>(2), s.Ptr<ULONG>(3), s.Event(4));
     }},
};

const SweepCase kEventReportCases[] = {
    {&kEventReport,
     &kIEventReportImp,
     u"ClearEvent",
     {"unsigned long/-"},
     [](void* p, Slots& s) {
         return static_cast<IEventReportImp*>(p)->ClearEvent(s.Value<ULONG>(0));
     }},
    {&kEventReport, &kIEventReportImp, u"InitEventReporting", std::vector<std::string_view>{},
     [](void* p, Slots&) { return static_cast<IEventReportImp*>(p)->InitEventReporting(); }},
    {&kEventReport, &kIEventReportImp, u"EndEventReporting", std::vector<std::string_view>{},
     [](void* p, Slots&) { return static_cast<IEventReportImp*>(p)->EndEventReporting(); }},
    {&kEventReport,
     &kIEventReportImp,
     u"ReportEventChain",
     {"unsigned char/-", "event/-", "long/-", "long/-"},
     [](void* p, Slots& s) {
         return static_cast<IEventReportImp*>(p)->ReportEventChain(
             s.Value<BYTE>(0), s.Event(1), s.Value<LONG>(2), s.Value<LONG>(3));
     }},
};

// ---------------------------------------------------------------------------
// Interface identifiers
// ---------------------------------------------------------------------------

TEST_F(ProxyWire, EveryVersionOfAFamilyAnswersWithTheSamePointer) {
    const std::vector<std::vector<const IID*>> families = {
        {&kIDSFileSystem, &kIDSFileSystem_40, &kIDSFileSystem_403, &kIDSFileSystem_57,
         &kIDSFileSystem_60, &kIDSFileSystem_61, &kIDSFileSystem_62},
        {&kIDSFileSystemView, &kIDSFileSystemView_40, &kIDSFileSystemView_402,
         &kIDSFileSystemView_45, &kIDSFileSystemView_46, &kIDSFileSystemView_57,
         &kIDSFileSystemView_60, &kIDSFileSystemView_61, &kIDSFileSystemView_62,
         &kIDSFileSystemView_622},
        {&kIDSSBS, &kIDSSBS_40, &kIDSSBS_401, &kIDSSBS_402, &kIDSSBS_403, &kIDSSBS_45, &kIDSSBS_46,
         &kIDSSBS_57, &kIDSSBS_61, &kIDSSBS_62, &kIDSSBS_621},
        {&kIDSVault, &kIDSVault_40, &kIDSVault_402, &kIDSVault_403, &kIDSVault_46, &kIDSVault_51,
         &kIDSVault_60, &kIDSVault_61, &kIDSVault_62, &kIDSVault_621},
        {&kIJobQueue, &kIJobQueue_401, &kIJobQueue_403, &kIJobQueue_51, &kIJobQueue_60,
         &kIJobQueue_61, &kIJobQueue_62, &kIJobQueue_621},
        {&kINTLocalUserManager, &kINTLocalUserManager_40, &kINTLocalUserManager_403,
         &kINTLocalUserManager_61},
        {&kINDMUpdateEx, &kINDMUpdateEx_61},
        {&kIEventReportImp},
    };
    std::vector<void*> seen;
    for (const auto& versions : families) {
        void* first = nullptr;
        for (const IID* iid : versions) {
            void* pointer = nullptr;
            ASSERT_EQ(S_OK, m_repository->QueryInterface(*iid, &pointer));
            static_cast<IUnknown*>(pointer)->Release();
            if (first == nullptr) first = pointer;
            EXPECT_EQ(first, pointer);
        }
        // Each family has a pointer of its own.
        for (void* other : seen) EXPECT_NE(other, first);
        seen.push_back(first);
    }
}

// ---------------------------------------------------------------------------
// File system
// ---------------------------------------------------------------------------

TEST_F(ProxyWire, FileSystemReadBLOBBlockReadsTheRecordThenTheEvent) {
    auto* fs = Query<IDSFileSystem>(kIDSFileSystem);
    ASSERT_NE(nullptr, fs);

    Wire args = Args();
    args.Long(0x1234).EmptyEvent();
    const Bytes data = Pattern(7, 1);
    Wire outs = Outs();
    outs.Tag(142).RawRecord(141, BlobKeyImage(0x77)).ULong(3).Long(-9).Block(data);
    outs.ServerEvent();
    Expect(kFileSystem, u"ReadBLOBBlock", args, S_OK, outs);

    auto desc = Zeroed<_blobblockdesc>();
    _RNSM_EVENT event{};
    EXPECT_EQ(S_OK, fs->ReadBLOBBlock(0x1234, &desc, &event));
    ExpectReplyConsumed();
    EXPECT_EQ(0x77, V(desc.Key.Key));
    ExpectSameTime(kTime1, desc.Key.CreationTime);
    EXPECT_EQ(0x800u, V(desc.Key.CompressedDataSize));
    EXPECT_EQ(3u, V(desc.dataSize));
    EXPECT_EQ(-9, V(desc.Crc));
    ASSERT_NE(nullptr, V(desc.pBlockData));
    EXPECT_EQ(0, std::memcmp(data.data(), desc.pBlockData, data.size()));
    CoTaskMemFree(desc.pBlockData);
    ExpectServerEvent(event);

    // No record asked for: the record is still consumed, so the event that
    // follows is read; a failed method delivers its out-arguments too.
    m_transport->ExpectCall(Request(kFileSystem, u"ReadBLOBBlock", args),
                            Reply(static_cast<HRESULT>(0x80070005u), outs));
    EXPECT_EQ(static_cast<HRESULT>(0x80070005u), fs->ReadBLOBBlock(0x1234, nullptr, &event));
    ExpectReplyConsumed();
    ExpectServerEvent(event);
}

TEST_F(ProxyWire, FileSystemCreateNewFileRevSendsItsScalarsAndReadsTheNewRevision) {
    auto* fs = Query<IDSFileSystem>(kIDSFileSystem);
    ASSERT_NE(nullptr, fs);

    Wire args = Args();
    args.RawRecord(138, Image({Le(0x1000, 4), Le(0x2222, 4)}, 8));
    args.Short(3).UChar(0xFF).Long(7).Int64(0x0102030405060708).Long(9).Int64(-1);
    args.Present(true).Long(5).Present(false);
    Wire outs = Outs();
    outs.Int64(0x0A0B0C0D0E0F1011).Present(true).Long(6).ServerEvent();
    Expect(kFileSystem, u"CreateNewFileRev", args, S_OK, outs);

    _fileobject file = {0x1000, 0x2222};
    LONGLONG newId = 0;
    LONG revision = 5;
    // No event passed: the reply's chain is read into a temporary and freed.
    EXPECT_EQ(S_OK, fs->CreateNewFileRev(file, 3, static_cast<CHAR>(-1), 7, 0x0102030405060708, 9,
                                         -1, &newId, &revision, nullptr));
    ExpectReplyConsumed();
    EXPECT_EQ(0x0A0B0C0D0E0F1011, newId);
    EXPECT_EQ(6, revision);
}

TEST_F(ProxyWire, FileSystemReadFileBlocksReadsTheBlockArrayIntoTheCallersVariables) {
    auto* fs = Query<IDSFileSystem>(kIDSFileSystem);
    ASSERT_NE(nullptr, fs);

    Wire args = Args();
    args.Long(1).Long(2).Long(3).Int64(0x44).Long(5).Short(6).ArrayHead(0, 0).EmptyEvent();
    const Bytes data = Pattern(5, 2);
    Wire outs = Outs();
    outs.ArrayHead(2, 2);
    outs.Tag(132).Int64(0x100).Short(1).Long(2).Long(3).Present(true);
    outs.Tag(130).ULong(0xF1).Long(0xF2).Long(0xF3).ULong(1).Long(0xF4).Block(data);
    outs.Present(false);
    outs.Tag(132).Int64(0x200).Short(-1).Long(-2).Long(-3).Present(false).Present(true);
    outs.RawRecord(131, ExtBlockImage(0xEE));
    outs.ServerEvent();
    Expect(kFileSystem, u"ReadFileBlocks", args, S_OK, outs);

    LONG count = 0;
    _blockdescriptor* blocks = nullptr;
    _RNSM_EVENT event{};
    EXPECT_EQ(S_OK, fs->ReadFileBlocks(1, 2, 3, 0x44, 5, 6, &count, &blocks, &event));
    ExpectReplyConsumed();
    ASSERT_EQ(2, count);
    ASSERT_NE(nullptr, blocks);
    EXPECT_EQ(0x100, V(blocks[0].physicalFileID));
    ASSERT_NE(nullptr, V(blocks[0].pDataBlock));
    EXPECT_EQ(nullptr, V(blocks[0].pExtBlock));
    EXPECT_EQ(0xF1u, V(blocks[0].pDataBlock->Flags));
    EXPECT_EQ(0xF4, V(blocks[0].pDataBlock->Crc));
    ASSERT_NE(nullptr, V(blocks[0].pDataBlock->pBlockData));
    EXPECT_EQ(0, std::memcmp(data.data(), blocks[0].pDataBlock->pBlockData, data.size()));
    EXPECT_EQ(-1, V(blocks[1].fileRev));
    EXPECT_EQ(-3, V(blocks[1].blockNumber));
    EXPECT_EQ(nullptr, V(blocks[1].pDataBlock));
    ASSERT_NE(nullptr, V(blocks[1].pExtBlock));
    EXPECT_EQ(0xEEu, V(blocks[1].pExtBlock->Flags));
    EXPECT_EQ(0x0102030405060708, V(blocks[1].pExtBlock->parentPhysicalID));
    CoTaskMemFree(blocks[0].pDataBlock->pBlockData);
    CoTaskMemFree(blocks[0].pDataBlock);
    CoTaskMemFree(blocks[1].pExtBlock);
    CoTaskMemFree(blocks);
    ExpectServerEvent(event);
}

TEST_F(ProxyWire, FileSystemWriteFileBlocksSendsTheBlocksAndReadsOnlyTheEvent) {
    auto* fs = Query<IDSFileSystem>(kIDSFileSystem);
    ASSERT_NE(nullptr, fs);

    Bytes data = Pattern(6, 3);
    _datablockdescriptor block = {0xA, 0xB, 0xC, 2, 0xD, data.data()};
    _extblockdescriptor ext = {0xEE, 0x0102030405060708, 1, 2, 3, 4, 5};
    _blockdescriptor blocks[2] = {{0x10, 1, 2, 3, &block, nullptr}, {0x20, 4, 5, 6, nullptr, &ext}};

    Wire args = Args();
    args.ArrayHead(2, 2);
    args.Int64(0x10).Short(1).Long(2).Long(3).Present(true);
    args.ULong(0xA).Long(0xB).Long(0xC).ULong(2).Long(0xD).Put(data).Present(false);
    args.Int64(0x20).Short(4).Long(5).Long(6).Present(false).Present(true).Put(ExtBlockImage(0xEE));
    args.Short(-1).EmptyEvent();
    Wire outs = Outs();
    outs.ServerEvent();
    Expect(kFileSystem, u"WriteFileBlocks", args, S_OK, outs);

    _RNSM_EVENT event{};
    EXPECT_EQ(S_OK, fs->WriteFileBlocks(blocks, 2, -1, &event));
    ExpectReplyConsumed();
    ExpectServerEvent(event);
}

// Two arrays share one count: the second travels with the first's length
// and its received length is not handed back.
TEST_F(ProxyWire, FileSystemReadDateTimeMatchesSendsTheSecondArrayWithTheFirstsLength) {
    auto* fs = Query<IDSFileSystem>(kIDSFileSystem);
    ASSERT_NE(nullptr, fs);

    Wire outs = Outs();
    outs.ArrayHead(2, 2);
    outs.RawRecord(135, Image({Le(0x61, 4), Le(0x62, 4)}, 8));
    outs.RawRecord(135, Image({Le(0x63, 4), Le(0x64, 4)}, 8));
    outs.ArrayHead(2, 1).Tag(137).Long(0x55).ArrayHead(1, 1);
    outs.RawRecord(136, Image({Le(0x99, 8), Le(2, 2), Le(3, 4), Le(4, 4)}, 18));
    outs.Present(false);
    outs.Present(false);  // no event chain in the reply

    // No second array: it is sent as an empty array.
    _hashsize hashes[2] = {{0x11, 0x12}, {0x13, 0x14}};
    LONG count = 2;
    _hashmatch* matches = nullptr;
    Wire args = Args();
    args.ArrayHead(2, 2).Put(Image({Le(0x11, 4), Le(0x12, 4), Le(0x13, 4), Le(0x14, 4)}, 16));
    args.ArrayHead(0, 0).Present(false);
    Expect(kFileSystem, u"ReadDateTimeMatches", args, S_OK, outs);

    EXPECT_EQ(S_OK, fs->ReadDateTimeMatches(hashes, &count, &matches, nullptr));
    ExpectReplyConsumed();
    EXPECT_EQ(2, count);  // the first array's length, not the second's 1
    EXPECT_EQ(0x61, V(hashes[0].hashValue));
    EXPECT_EQ(0x64, V(hashes[1].sizeFileLow));
    ASSERT_NE(nullptr, matches);
    EXPECT_EQ(0x55, V(matches[0].hashValue));
    ASSERT_EQ(1u, V(matches[0].numMatches));
    ASSERT_NE(nullptr, V(matches[0].pPhysicalFileList));
    EXPECT_EQ(0x99, V(matches[0].pPhysicalFileList[0].physicalFileID));
    EXPECT_EQ(nullptr, V(matches[0].nextHashMatch));
    CoTaskMemFree(matches[0].pPhysicalFileList);
    CoTaskMemFree(matches);

    // A second array passed by the caller is sent with the first's length.
    auto* mine = static_cast<_hashmatch*>(CoTaskMemAlloc(2 * sizeof(_hashmatch)));
    ASSERT_NE(nullptr, mine);
    std::memset(static_cast<void*>(mine), 0, 2 * sizeof(_hashmatch));
    mine[0].hashValue = 0x71;
    mine[1].hashValue = 0x72;
    matches = mine;
    count = 2;
    Wire args2 = Args();
    args2.ArrayHead(2, 2).Put(Image({Le(0x61, 4), Le(0x62, 4), Le(0x63, 4), Le(0x64, 4)}, 16));
    args2.ArrayHead(2, 2).Long(0x71).ArrayHead(0, 0).Present(false);
    args2.Long(0x72).ArrayHead(0, 0).Present(false).Present(false);
    Expect(kFileSystem, u"ReadDateTimeMatches", args2, S_OK, outs);

    EXPECT_EQ(S_OK, fs->ReadDateTimeMatches(hashes, &count, &matches, nullptr));
    ExpectReplyConsumed();
    EXPECT_EQ(2, count);
    ASSERT_NE(nullptr, matches);
    EXPECT_EQ(0x55, V(matches[0].hashValue));
    if (matches[0].pPhysicalFileList != nullptr) CoTaskMemFree(matches[0].pPhysicalFileList);
    CoTaskMemFree(matches);
}

TEST_F(ProxyWire, FileSystemGetLatestBLOBBlockSendsItsOutRecordAsAUniquePointer) {
    auto* fs = Query<IDSFileSystem>(kIDSFileSystem);
    ASSERT_NE(nullptr, fs);

    Wire args = Args();
    args.Long(0x10).Guid(kGuidA).UChar(1);
    args.Present(true).Put(BlobKeyImage(0x31)).ULong(0).Long(5);
    args.EmptyEvent();
    const Bytes data = Pattern(8, 4);
    Wire outs = Outs();
    outs.Present(true).Tag(142).RawRecord(141, BlobKeyImage(0x32)).ULong(4).Long(-5).Block(data);
    outs.ServerEvent();
    Expect(kFileSystem, u"GetLatestBLOBBlock", args, S_OK, outs);

    auto desc = Zeroed<_blobblockdesc>();
    desc.Key = BlobKey(0x31);
    desc.Crc = 5;
    _RNSM_EVENT event{};
    EXPECT_EQ(S_OK, fs->GetLatestBLOBBlock(0x10, kGuidA, 1, &desc, &event));
    ExpectReplyConsumed();
    EXPECT_EQ(0x32, V(desc.Key.Key));
    EXPECT_EQ(4u, V(desc.dataSize));
    EXPECT_EQ(-5, V(desc.Crc));
    ASSERT_NE(nullptr, V(desc.pBlockData));
    EXPECT_EQ(0, std::memcmp(data.data(), desc.pBlockData, data.size()));
    CoTaskMemFree(desc.pBlockData);
    ExpectServerEvent(event);
}

TEST_F(ProxyWire, FileSystemReadBLOBBlock403ReadsItsInOutRecordWithoutSendingIt) {
    auto* fs = Query<IDSFileSystem_403>(kIDSFileSystem_403);
    ASSERT_NE(nullptr, fs);

    Wire args = Args();
    args.Long(9).EmptyEvent();
    const Bytes data = Pattern(6, 5);
    Wire outs = Outs();
    outs.Tag(148).RawRecord(141, BlobKeyImage(0x41)).Long(0x4242).ULong(2).Long(0x43).Block(data);
    outs.ServerEvent();
    Expect(kFileSystem, u"ReadBLOBBlock403", args, S_OK, outs);

    auto desc = Zeroed<_blobblockdesc_403>();
    desc.Key = BlobKey(0x40);
    desc.lMetaJobKey = 0x4040;
    _RNSM_EVENT event{};
    EXPECT_EQ(S_OK, fs->ReadBLOBBlock403(9, &desc, &event));
    ExpectReplyConsumed();
    EXPECT_EQ(0x41, V(desc.Key.Key));
    EXPECT_EQ(0x4242, V(desc.lMetaJobKey));
    EXPECT_EQ(2u, V(desc.dataSize));
    EXPECT_EQ(0x43, V(desc.Crc));
    ASSERT_NE(nullptr, V(desc.pBlockData));
    EXPECT_EQ(0, std::memcmp(data.data(), desc.pBlockData, data.size()));
    CoTaskMemFree(desc.pBlockData);
    ExpectServerEvent(event);
}

TEST_F(ProxyWire, FileSystemSetRawStorageIsReservingSpaceSendsAnIntAndReadsNothing) {
    auto* fs = Query<IDSFileSystem_57>(kIDSFileSystem_57);
    ASSERT_NE(nullptr, fs);

    Wire args = Args();
    args.Int(1);
    Expect(kFileSystem, u"SetRawStorageIsReservingSpace", args, S_FALSE, Outs());
    EXPECT_EQ(S_FALSE, fs->SetRawStorageIsReservingSpace(1));
    ExpectReplyConsumed();
}

// ---------------------------------------------------------------------------
// File-system view
// ---------------------------------------------------------------------------

TEST_F(ProxyWire, FileSystemViewWriteFileInfoSendsTheCountFirst) {
    auto* view = Query<IDSFileSystemView>(kIDSFileSystemView);
    ASSERT_NE(nullptr, view);

    FileDescriptorSample desc;
    Wire args = Args();
    args.Long(1);
    FileDescriptorSample::Emit(args);
    args.Int64(0x1111222233334444).UChar(1).Int64(-5).EmptyEvent();
    Wire outs = Outs();
    outs.Long(7).Int64(0x5555666677778888).ServerEvent();
    Expect(kFileSystemView, u"WriteFileInfo", args, S_OK, outs);

    LONGLONG fileKey = 0x1111222233334444;
    LONG files = 1;
    _RNSM_EVENT event{};
    EXPECT_EQ(S_OK, view->WriteFileInfo(&desc.value, &fileKey, &files, 1, -5, &event));
    ExpectReplyConsumed();
    EXPECT_EQ(7, files);
    EXPECT_EQ(0x5555666677778888, fileKey);
    ExpectServerEvent(event);
}

TEST_F(ProxyWire, FileSystemViewReadVolumeFileTreeFillsTheCallersFixedBuffer) {
    auto* view = Query<IDSFileSystemView_57>(kIDSFileSystemView_57);
    ASSERT_NE(nullptr, view);

    Wire args = Args();
    args.Long(2).EmptyEvent();
    Wire outs = Outs();
    outs.ArrayHead(2, 1);
    FileDescriptorSample::Emit(outs);
    outs.ServerEvent();
    Expect(kFileSystemView, u"ReadVolumeFileTree", args, S_OK, outs);

    LONG actual = -1;
    _rnsm_filedescriptor buffer[2];
    std::memset(static_cast<void*>(buffer), 0, sizeof buffer);
    _RNSM_EVENT event{};
    EXPECT_EQ(S_OK, view->ReadVolumeFileTree(2, &actual, buffer, &event));
    ExpectReplyConsumed();
    EXPECT_EQ(1, actual);
    FileDescriptorSample::ExpectRead(buffer[0]);
    ExpectServerEvent(event);

    // More than the caller's buffer holds: refused.
    Wire tooMany = Outs();
    tooMany.ArrayHead(3, 3);
    for (int i = 0; i < 3; ++i) FileDescriptorSample::Emit(tooMany);
    tooMany.ServerEvent();
    Expect(kFileSystemView, u"ReadVolumeFileTree", args, S_OK, tooMany);
    std::memset(static_cast<void*>(buffer), 0, sizeof buffer);
    EXPECT_EQ(static_cast<HRESULT>(0x800706F8u),
              view->ReadVolumeFileTree(2, &actual, buffer, &event));
    EXPECT_EQ(nullptr, V(buffer[0].Name));
    EXPECT_EQ(nullptr, V(buffer[1].Name));
}

TEST_F(ProxyWire, FileSystemViewReadFileTreeInfoFillsTheFixedBufferAndTheRevisionArray) {
    auto* view = Query<IDSFileSystemView>(kIDSFileSystemView);
    ASSERT_NE(nullptr, view);

    Wire args = Args();
    args.Long(3).ArrayHead(0, 0).Present(false);
    const Bytes revision =
        Image({Le(1, 4), Le(0x0102030405060708, 8), Le(3, 4), Le(4, 2), Le(5, 4)}, 22);
    Wire outs = Outs();
    outs.ArrayHead(3, 1);
    FileDescriptorSample::Emit(outs);
    outs.ArrayHead(2, 2).RawRecord(157, revision).RawRecord(157, revision);
    outs.Present(false);
    Expect(kFileSystemView, u"ReadFileTreeInfo", args, S_OK, outs);

    LONG actual = 0;
    _rnsm_filedescriptor buffer[3];
    std::memset(static_cast<void*>(buffer), 0, sizeof buffer);
    LONG revisions = 0;
    _filerev* list = nullptr;
    EXPECT_EQ(S_OK, view->ReadFileTreeInfo(3, &actual, buffer, &revisions, &list, nullptr));
    ExpectReplyConsumed();
    EXPECT_EQ(1, actual);
    FileDescriptorSample::ExpectRead(buffer[0]);
    ASSERT_EQ(2, revisions);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(0x0102030405060708, V(list[1].FSOKey));
    EXPECT_EQ(5, V(list[1].blocksize));
    CoTaskMemFree(list);
}

TEST_F(ProxyWire, VaultReadISqlOutputReadsBytesIntoTheCallersBufferAndOneFlag) {
    auto* vault = Query<IDSVault>(kIDSVault);
    ASSERT_NE(nullptr, vault);

    Wire args = Args();
    args.Long(8).EmptyEvent();
    Wire outs = Outs();
    outs.ArrayHead(8, 5).Block(Bytes{'h', 'e', 'l', 'l', 'o'}).UChar(0xFF).ServerEvent();
    Expect(kVault, u"ReadISqlOutput", args, S_OK, outs);

    LONG actual = 0;
    CHAR buffer[8] = {};
    CHAR more = 0;
    _RNSM_EVENT event{};
    EXPECT_EQ(S_OK, vault->ReadISqlOutput(8, &actual, buffer, &more, &event));
    ExpectReplyConsumed();
    EXPECT_EQ(5, actual);
    EXPECT_EQ("hello", std::string(buffer, 5));
    EXPECT_EQ(-1, more);
    ExpectServerEvent(event);

    // More bytes than the buffer holds: refused.
    Wire tooMany = Outs();
    tooMany.ArrayHead(9, 9).Block(Bytes(9, 'x')).UChar(0).ServerEvent();
    Expect(kVault, u"ReadISqlOutput", args, S_OK, tooMany);
    EXPECT_EQ(static_cast<HRESULT>(0x800706F8u),
              vault->ReadISqlOutput(8, &actual, buffer, &more, &event));
}

TEST_F(ProxyWire, FileSystemViewGetVolumeInfoReadsAUniqueRecordIntoTheCallersVariable) {
    auto* view = Query<IDSFileSystemView>(kIDSFileSystemView);
    ASSERT_NE(nullptr, view);

    Wire args = Args();
    args.Long(4).Present(false).Present(false);
    Wire outs = Outs();
    outs.Present(true).Tag(155).Long(0x71).Enum(0x8C000001u).Long(0x72).Long(0x73).Long(0x74);
    outs.Short(0x75).Bstr(u"Data").ULong(0xC0FFEE00).NullBstr().Long(0x76).Bstr(u"NTFS");
    outs.Short(1).Long(0x77).Guid(kGuidA).Long(0x78).Long(0x79).Int64(0x7A);
    outs.Present(false);
    Expect(kFileSystemView, u"GetVolumeInfo", args, S_OK, outs);

    _volumeinfo* info = nullptr;
    EXPECT_EQ(S_OK, view->GetVolumeInfo(4, &info, nullptr));
    ExpectReplyConsumed();
    ASSERT_NE(nullptr, info);
    EXPECT_EQ(0x71, V(info->volumeKey));
    EXPECT_EQ(kFileSystem_ntfs, V(info->fileSystem));
    EXPECT_EQ("Data", Text(info->volumeName));
    EXPECT_EQ(nullptr, V(info->volumeRootpathName));
    EXPECT_EQ("NTFS", Text(info->m_VolumeFileSystemName));
    EXPECT_EQ(0x7A, V(info->lastPhysicalFileUsed));
    SysFreeString(info->volumeName);
    SysFreeString(info->m_VolumeFileSystemName);
    CoTaskMemFree(info);
}

// ---------------------------------------------------------------------------
// Backup sets
// ---------------------------------------------------------------------------

TEST_F(ProxyWire, SbsGetSBSInfoListSendsOnlyItsFlags) {
    auto* sbs = Query<IDSSBS>(kIDSSBS);
    ASSERT_NE(nullptr, sbs);

    Wire args = Args();
    args.Long(0x0F).EmptyEvent();
    Wire outs = Outs();
    outs.ArrayHead(1, 1).Tag(134).Long(1).Long(2).Long(3).Long(4).Bstr(u"login").ULong(5);
    outs.Long(6).Guid(kGuidA).Enum(0x8C000000u).UChar(7).Bstr(u"PC").NullBstr().Time(kTime1);
    outs.Time(kTime2).ULong(8).ULong(9).Int(10).Int(11).Int(12).ULong(13).ULong(14).ULong(15);
    outs.NullBstr().Int64(16);
    outs.ServerEvent();
    Expect(kSbs, u"GetSBSInfoList", args, S_OK, outs);

    _sbsinfo* list = nullptr;
    LONG count = 0;
    _RNSM_EVENT event{};
    EXPECT_EQ(S_OK, sbs->GetSBSInfoList(&list, &count, 0x0F, &event));
    ExpectReplyConsumed();
    ASSERT_EQ(1, count);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ("login", Text(list[0].loginName));
    EXPECT_EQ(kSBSIsOrphan, V(list[0].SBSState));
    EXPECT_EQ("PC", Text(list[0].Name));
    ExpectSameTime(kTime2, list[0].nextBackup);
    EXPECT_EQ(12, V(list[0].disabledFlag));
    EXPECT_EQ(16, V(list[0].SpaceUsed));
    SysFreeString(list[0].loginName);
    SysFreeString(list[0].Name);
    CoTaskMemFree(list);
    ExpectServerEvent(event);
}

TEST_F(ProxyWire, SbsGetProcessedMetaJobsExSendsItsOutArrayEmpty) {
    auto* sbs = Query<IDSSBS_61>(kIDSSBS_61);
    ASSERT_NE(nullptr, sbs);

    Wire args = Args();
    args.Long(1).UChar(0x82).Long(3).Time(kTime1).ArrayHead(0, 0).Present(false);
    Wire outs = Outs();
    outs.ArrayHead(2, 2);
    outs.Tag(170).UChar(0x81).Long(0x501).Bstr(u"first").Time(kTime1).Time(kTime2).Long(-1);
    outs.ULong(0x10).UChar(2);
    outs.Tag(170).UChar(0x82).Long(0x502).NullBstr().Time(kTime2).Time(kTime1).Long(0);
    outs.ULong(0x20).UChar(0);
    outs.Present(false);
    Expect(kSbs, u"GetProcessedMetaJobsEx", args, S_OK, outs);

    _processedMetaJob* jobs = nullptr;
    LONG count = 7;  // an [out] count: nothing the proxy may send
    EXPECT_EQ(S_OK, sbs->GetProcessedMetaJobsEx(1, 0x82, 3, kTime1, &jobs, &count, nullptr));
    ExpectReplyConsumed();
    ASSERT_EQ(2, count);
    ASSERT_NE(nullptr, jobs);
    EXPECT_EQ(0x81, V(jobs[0].MetaJobType));
    EXPECT_EQ("first", Text(jobs[0].description));
    EXPECT_EQ(-1, V(jobs[0].status));
    EXPECT_EQ(0x10u, V(jobs[0].dwMetaJobFlags));
    EXPECT_EQ(2, V(jobs[0].RetryCount));
    EXPECT_EQ(0x502, V(jobs[1].metaJobKey));
    ExpectSameTime(kTime1, jobs[1].endTime);
    SysFreeString(jobs[0].description);
    CoTaskMemFree(jobs);
}

// ---------------------------------------------------------------------------
// Vault
// ---------------------------------------------------------------------------

TEST_F(ProxyWire, VaultIsComputerUnprotectedCarriesFourUniquePointers) {
    auto* vault = Query<IDSVault_46>(kIDSVault_46);
    ASSERT_NE(nullptr, vault);

    Wire args = Args();
    args.Long(3).Present(true).Int(1).Present(true).Time(kTime2).Present(true).Enum(0x8C000200u);
    args.Present(true).ULong(4).EmptyEvent();
    Wire outs = Outs();
    outs.Present(true).Int(0).Present(true).Time(kTime1).Present(true).Enum(0x8C004000u);
    outs.Present(true).ULong(9).ServerEvent();
    Expect(kVault, u"IsComputerUnprotected", args, S_OK, outs);

    LONG unprotected = 1;
    SYSTEMTIME last = kTime2;
    _status status = kJobRunning;
    ULONG days = 4;
    _RNSM_EVENT event{};
    EXPECT_EQ(S_OK, vault->IsComputerUnprotected(3, &unprotected, &last, &status, &days, &event));
    ExpectReplyConsumed();
    EXPECT_EQ(0, unprotected);
    ExpectSameTime(kTime1, last);
    EXPECT_EQ(kJobDone, status);
    EXPECT_EQ(9u, days);
    ExpectServerEvent(event);
}

TEST_F(ProxyWire, VaultAddServerSchedulesReadsBackAnArrayWithoutACountArgument) {
    auto* vault = Query<IDSVault>(kIDSVault);
    ASSERT_NE(nullptr, vault);

    auto* schedules = static_cast<_scheduleinfo*>(CoTaskMemAlloc(2 * sizeof(_scheduleinfo)));
    ASSERT_NE(nullptr, schedules);
    schedules[0] = {0, kTime1, 0x7F, 60};
    schedules[1] = {0, kTime2, 0x01, -1};

    Wire args = Args();
    args.Enum(0x8C000084u).ArrayHead(2, 2);
    args.Put(Image({Le(0, 4), TimeBytes(kTime1), Le(0x7F, 4), Le(60, 4)}, 28));
    args.Put(Image({Le(0, 4), TimeBytes(kTime2), Le(0x01, 4), Le(0xFFFFFFFF, 4)}, 28));
    args.EmptyEvent();
    Wire outs = Outs();
    outs.ArrayHead(2, 2);
    outs.RawRecord(171, Image({Le(0x901, 4), TimeBytes(kTime1), Le(0x7F, 4), Le(60, 4)}, 28));
    outs.RawRecord(171, Image({Le(0x902, 4), TimeBytes(kTime2), Le(0x03, 4), Le(30, 4)}, 28));
    outs.ServerEvent();
    Expect(kVault, u"AddServerSchedules", args, S_OK, outs);

    _RNSM_EVENT event{};
    EXPECT_EQ(S_OK, vault->AddServerSchedules(kMetaServerRetentionJob, &schedules, 2, &event));
    ExpectReplyConsumed();
    ASSERT_NE(nullptr, schedules);
    EXPECT_EQ(0x901, V(schedules[0].ScheduleKey));
    EXPECT_EQ(0x902, V(schedules[1].ScheduleKey));
    EXPECT_EQ(3u, V(schedules[1].Days));
    EXPECT_EQ(30, V(schedules[1].TimeWindow));
    CoTaskMemFree(schedules);
    ExpectServerEvent(event);
}

TEST_F(ProxyWire, VaultGetPropertySendsTheNamesAndReadsAnArrayWithoutACountArgument) {
    auto* vault = Query<IDSVault_40>(kIDSVault_40);
    ASSERT_NE(nullptr, vault);

    CUniqueBstr quota = Str(u"Quota");
    CUniqueBstr rights = Str(u"Rights");
    BSTR names[2] = {quota.Get(), rights.Get()};
    Wire args = Args();
    args.ULong(1).Long(2).ULong(3).ArrayHead(2, 2).Bstr(u"Quota").Bstr(u"Rights");
    args.Present(false);
    Wire outs = Outs();
    outs.ArrayHead(2, 2);
    outs.Tag(196).Bstr(u"Quota").VariantWords(VT_I4).Long(7).Int(0);
    outs.Tag(196).Bstr(u"Rights").VariantWords(VT_BSTR).Bstr(u"rw").Int(1);
    outs.Present(false);
    Expect(kVault, u"GetProperty", args, S_OK, outs);

    _PropertyDesc* properties = nullptr;
    EXPECT_EQ(S_OK, vault->GetProperty(1, 2, 3, 2, names, &properties, nullptr));
    ExpectReplyConsumed();
    ASSERT_NE(nullptr, properties);
    EXPECT_EQ("Quota", Text(properties[0].Name));
    EXPECT_EQ(VT_I4, V(properties[0].Value.vt));
    EXPECT_EQ(7, V(properties[0].Value.lVal));
    EXPECT_EQ(0, V(properties[0].Inherited));
    EXPECT_EQ("Rights", Text(properties[1].Name));
    EXPECT_EQ(VT_BSTR, V(properties[1].Value.vt));
    EXPECT_EQ("rw", Text(properties[1].Value.bstrVal));
    EXPECT_EQ(1, V(properties[1].Inherited));
    for (int i = 0; i < 2; ++i) {
        SysFreeString(properties[i].Name);
        VARIANT value = V(properties[i].Value);  // an aligned copy to clear
        VariantClear(&value);
    }
    CoTaskMemFree(properties);
}

TEST_F(ProxyWire, VaultGetVaultWinVersionCarriesAUniqueLargeIntegerAndNoEvent) {
    auto* vault = Query<IDSVault_51>(kIDSVault_51);
    ASSERT_NE(nullptr, vault);

    Wire args = Args();
    args.Present(true).UInt64(0x0006000100020003);
    Wire outs = Outs();
    outs.Present(true).UInt64(0x000A000B000C000D);
    Expect(kVault, u"GetVaultWinVersion", args, S_OK, outs);

    ULARGE_INTEGER version;
    version.QuadPart = 0x0006000100020003;
    EXPECT_EQ(S_OK, vault->GetVaultWinVersion(&version));
    ExpectReplyConsumed();
    EXPECT_EQ(0x000A000B000C000Du, V(version.QuadPart));
}

// ---------------------------------------------------------------------------
// Job queue
// ---------------------------------------------------------------------------

TEST_F(ProxyWire, JobQueueSubmitServerJob62ReadsTwoPlainIntsForItsInOutPointers) {
    auto* queue = Query<IJobQueue_62>(kIJobQueue_62);
    ASSERT_NE(nullptr, queue);

    CUniqueBstr computer = Str(u"SRV");
    auto meta = Zeroed<_metajobspec403>();
    meta.MetaJobType = kMetaServerDeleteJob;
    meta.SBSGuid = kGuidA;
    meta.StartDateTime = kTime1;
    meta.EndDateTime = kTime2;
    meta.MetaJobDsKey = 0x11;
    meta.CreateDateTime = kTime1;
    meta.RetryCount = 2;
    meta.JobStatus = {kJobPending, 50};
    meta.SBSDsKey = 0x12;
    meta.PWUDsKey = 0x13;
    meta.ComputerName = computer.Get();
    meta.lMetaJobFlags = 0x14;

    Wire args = Args();
    args.Present(true).Enum(0x8C000081u).NullBstr().NullBstr().Guid(kGuidA).Time(kTime1);
    args.Time(kTime2).Long(0x11).Time(kTime1).UChar(2).Put(
        Image({Le(0x8C000010u, 4), Le(50, 2)}, 6));
    args.Long(0x12).Long(0x13).Bstr(u"SRV").Long(0x14).ArrayHead(0, 0);
    args.Long(1).EmptyEvent();
    Wire outs = Outs();
    outs.Enum(0x8C000001u).Int(0x77).ServerEvent();
    Expect(kJobQueue, u"SubmitServerJob62", args, S_OK, outs);

    _submitstatus status = kSubmitJobError;
    LONG jobKey = 5;
    _RNSM_EVENT event{};
    EXPECT_EQ(S_OK, queue->SubmitServerJob62(&meta, &status, 1, &jobKey, &event));
    ExpectReplyConsumed();
    EXPECT_EQ(kSubmitJobReadyToRun, status);
    EXPECT_EQ(0x77, jobKey);
    ExpectServerEvent(event);
}

TEST_F(ProxyWire, JobQueueGetJobStatus60CarriesTwoUniqueStatusRecords) {
    auto* queue = Query<IJobQueue_60>(kIJobQueue_60);
    ASSERT_NE(nullptr, queue);

    Wire args = Args();
    args.Long(1).Long(2);
    args.Present(true).Put(Image({Le(0x8C000200u, 4), Le(50, 2)}, 6));
    args.Present(true).Put(Image({Le(0x8C000010u, 4), Le(0, 2)}, 6));
    args.Present(false);
    Wire outs = Outs();
    outs.Present(true).RawRecord(172, Image({Le(0x8C004000u, 4), Le(100, 2)}, 6));
    outs.Present(true).RawRecord(172, Image({Le(0x8C001000u, 4), Le(0xFFFF, 2)}, 6));
    outs.Present(false);
    Expect(kJobQueue, u"GetJobStatus60", args, S_OK, outs);

    _jobstatus meta = {kJobRunning, 50};
    _jobstatus job = {kJobPending, 0};
    EXPECT_EQ(S_OK, queue->GetJobStatus60(1, 2, &meta, &job, nullptr));
    ExpectReplyConsumed();
    EXPECT_EQ(kJobDone, V(meta.status));
    EXPECT_EQ(100, V(meta.PercentComplete));
    EXPECT_EQ(kJobError, V(job.status));
    EXPECT_EQ(-1, V(job.PercentComplete));
}

// ---------------------------------------------------------------------------
// Local user manager
// ---------------------------------------------------------------------------

TEST_F(ProxyWire, LocalUserManagerDispatchSlotsAreNotImplementedAndSendNothing) {
    auto* users = Query<INTLocalUserManager>(kINTLocalUserManager);
    ASSERT_NE(nullptr, users);
    UINT count = 5;
    EXPECT_EQ(static_cast<HRESULT>(0x80004001u), users->GetTypeInfoCount(&count));
    ITypeInfo* info = nullptr;
    EXPECT_EQ(static_cast<HRESULT>(0x80004001u), users->GetTypeInfo(0, 0, &info));
    const IID none = {};
    EXPECT_EQ(static_cast<HRESULT>(0x80004001u),
              users->GetIDsOfNames(none, nullptr, 0, 0, nullptr));
    EXPECT_EQ(static_cast<HRESULT>(0x80004001u),
              users->Invoke(0, none, 0, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(0u, m_transport->SendCount());
}

TEST_F(ProxyWire, LocalUserManagerGetUsersFromWebReadsAVariant) {
    auto* users = Query<INTLocalUserManager>(kINTLocalUserManager);
    ASSERT_NE(nullptr, users);

    Wire outs = Outs();
    outs.VariantWords(VT_BSTR).Bstr(u"ann;bob");
    Expect(kLocalUserManager, u"GetUsersFromWeb", Args(), S_OK, outs);

    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(S_OK, users->GetUsersFromWeb(&value));
    ExpectReplyConsumed();
    EXPECT_EQ(VT_BSTR, V(value.vt));
    EXPECT_EQ("ann;bob", Text(value.bstrVal));
    VariantClear(&value);
}

TEST_F(ProxyWire, LocalUserManagerGetAllUsersReadsTwoStringArraysWithOneCount) {
    auto* users = Query<INTLocalUserManager>(kINTLocalUserManager);
    ASSERT_NE(nullptr, users);

    Wire outs = Outs();
    outs.ArrayHead(2, 2).Bstr(u"ann").Bstr(u"bob").ArrayHead(1, 1).Bstr(u"Ann Smith");
    Expect(kLocalUserManager, u"GetAllUsers", Args(), S_OK, outs);

    BSTR* names = nullptr;
    BSTR* fullNames = nullptr;
    ULONG count = 0;
    EXPECT_EQ(S_OK, users->GetAllUsers(&names, &fullNames, &count));
    ExpectReplyConsumed();
    ASSERT_EQ(2u, count);  // the first array's length
    ASSERT_NE(nullptr, names);
    EXPECT_EQ("ann", Text(names[0]));
    EXPECT_EQ("bob", Text(names[1]));
    ASSERT_NE(nullptr, fullNames);
    EXPECT_EQ("Ann Smith", Text(fullNames[0]));
    SysFreeString(names[0]);
    SysFreeString(names[1]);
    SysFreeString(fullNames[0]);
    CoTaskMemFree(names);
    CoTaskMemFree(fullNames);
}

TEST_F(ProxyWire, LocalUserManagerMethodsWithoutArgumentsSendOnlyTheCallHeader) {
    auto* users = Query<INTLocalUserManager>(kINTLocalUserManager);
    ASSERT_NE(nullptr, users);

    Expect(kLocalUserManager, u"RecreateAccounts", Args(), S_OK, Outs());
    EXPECT_EQ(S_OK, users->RecreateAccounts());
    ExpectReplyConsumed();
    Expect(kLocalUserManager, u"CleanUpAll", Args(), static_cast<HRESULT>(0x80070005u), Outs());
    EXPECT_EQ(static_cast<HRESULT>(0x80070005u), users->CleanUpAll());
    ExpectReplyConsumed();
}

TEST_F(ProxyWire, LocalUserManagerGetSecuritySettingsReadsAUniqueRecord) {
    auto* users = Query<INTLocalUserManager>(kINTLocalUserManager);
    ASSERT_NE(nullptr, users);

    Wire outs = Outs();
    outs.Present(true).Tag(213).ULong(2).ArrayHead(1, 1).Bstr(u"Admins").ArrayHead(0, 0);
    outs.ArrayHead(2, 2).Bstr(u"a").Bstr(u"b");
    Expect(kLocalUserManager, u"GetSecuritySettings", Args(), S_OK, outs);

    auto settings = Zeroed<_securitySettings>();
    EXPECT_EQ(S_OK, users->GetSecuritySettings(&settings));
    ExpectReplyConsumed();
    EXPECT_EQ(2u, V(settings.dwValue));
    ASSERT_EQ(1u, V(settings.cList1));
    EXPECT_EQ("Admins", Text(settings.pbstrList1[0]));
    EXPECT_EQ(0u, V(settings.cList2));
    ASSERT_EQ(2u, V(settings.cList3));
    EXPECT_EQ("b", Text(settings.pbstrList3[1]));
    SysFreeString(settings.pbstrList1[0]);
    SysFreeString(settings.pbstrList3[0]);
    SysFreeString(settings.pbstrList3[1]);
    CoTaskMemFree(settings.pbstrList1);
    CoTaskMemFree(settings.pbstrList2);
    CoTaskMemFree(settings.pbstrList3);
}

// ---------------------------------------------------------------------------
// Update and event report
// ---------------------------------------------------------------------------

TEST_F(ProxyWire, UpdateInitializeSendsOnlyTheCallHeader) {
    auto* update = Query<INDMUpdateEx>(kINDMUpdateEx);
    ASSERT_NE(nullptr, update);

    Expect(kUpdate, u"Initialize", Args(), S_OK, Outs());
    EXPECT_EQ(S_OK, update->Initialize());
    ExpectReplyConsumed();
    Expect(kUpdate, u"Uninitialize", Args(), S_OK, Outs());
    EXPECT_EQ(S_OK, update->Uninitialize());
    ExpectReplyConsumed();
}

TEST_F(ProxyWire, UpdateIsUpdateAvailableReadsTheFortyByteRecord) {
    auto* update = Query<INDMUpdateEx>(kINDMUpdateEx);
    ASSERT_NE(nullptr, update);

    const Bytes info = Pattern(40, 7);
    Wire args = Args();
    args.Guid(kGuidA).EmptyEvent();
    Wire outs = Outs();
    outs.RawRecord(210, info).ServerEvent();
    Expect(kUpdate, u"IsUpdateAvailable", args, S_OK, outs);

    _updateInfo result;
    std::memset(&result, 0, sizeof result);
    _RNSM_EVENT event{};
    EXPECT_EQ(S_OK, update->IsUpdateAvailable(kGuidA, &result, &event));
    ExpectReplyConsumed();
    EXPECT_EQ(0, std::memcmp(info.data(), &result, 40));
    ExpectServerEvent(event);
}

TEST_F(ProxyWire, UpdateGetFileBlockReadsTheBlockAsAByteArray) {
    auto* update = Query<INDMUpdateEx>(kINDMUpdateEx);
    ASSERT_NE(nullptr, update);

    CUniqueBstr file = Str(u"setup.exe");
    Wire args = Args();
    args.Bstr(u"setup.exe").ULong(0x100).ULong(5).EmptyEvent();
    const Bytes block = Pattern(5, 9);
    Wire outs = Outs();
    outs.ArrayHead(5, 5).Block(block).ServerEvent();
    Expect(kUpdate, u"GetFileBlock", args, S_OK, outs);

    BYTE* data = nullptr;
    ULONG size = 0;
    _RNSM_EVENT event{};
    EXPECT_EQ(S_OK, update->GetFileBlock(file.Get(), 0x100, 5, &data, &size, &event));
    ExpectReplyConsumed();
    ASSERT_EQ(5u, size);
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(0, std::memcmp(block.data(), data, 5));
    CoTaskMemFree(data);
    ExpectServerEvent(event);
}

TEST_F(ProxyWire, EventReportReportEventChainSendsTheChainAndReadsNothing) {
    auto* report = Query<IEventReportImp>(kIEventReportImp);
    ASSERT_NE(nullptr, report);

    CUniqueBstr file = Str(u"agent.cpp");
    CUniqueBstr text = Str(u"disk full");
    _RNSM_EVENT second{};
    second.DwordOurCode = 0x22;
    _RNSM_EVENT head{};
    head.DwordOurCode = 0x11;
    head.DwordSystemCode = 0x12;
    head.pNext = &second;
    head.LogDestination = 0x13;
    head.BstringFileName = file.Get();
    head.DwordLineNumber = 0x14;
    head.MessageStatus = 0x15;
    head.NumParamStrings = 1;
    head.aParamStrings[0] = text.Get();

    Wire args = Args();
    args.UChar(0x7F).Present(true);
    args.ULong(0x11).ULong(0x12).ULong(0x13).Bstr(u"agent.cpp").ULong(0x14).ULong(0x15);
    args.UShort(1).Bstr(u"disk full").Present(true);
    args.ULong(0x22).ULong(0).ULong(0).NullBstr().ULong(0).ULong(0).UShort(0).Present(false);
    args.Long(-1).Long(2);
    Expect(kEventReport, u"ReportEventChain", args, S_OK, Outs());
    EXPECT_EQ(S_OK, report->ReportEventChain(0x7F, &head, -1, 2));
    ExpectReplyConsumed();
    // The chain is the caller's and stays as it was.
    EXPECT_EQ(&second, V(head.pNext));
    EXPECT_EQ(file.Get(), V(head.BstringFileName));
    EXPECT_EQ(text.Get(), V(head.aParamStrings[0]));

    // No chain: the absent marker.
    Wire none = Args();
    none.UChar(0).Present(false).Long(0).Long(0);
    Expect(kEventReport, u"ReportEventChain", none, S_OK, Outs());
    EXPECT_EQ(S_OK, report->ReportEventChain(0, nullptr, 0, 0));
    ExpectReplyConsumed();
}

TEST_F(ProxyWire, EventReportClearAndInitSendTheirFewArguments) {
    auto* report = Query<IEventReportImp>(kIEventReportImp);
    ASSERT_NE(nullptr, report);

    Wire args = Args();
    args.ULong(0xFFFFFFFE);
    Expect(kEventReport, u"ClearEvent", args, S_OK, Outs());
    EXPECT_EQ(S_OK, report->ClearEvent(0xFFFFFFFE));
    ExpectReplyConsumed();
    Expect(kEventReport, u"InitEventReporting", Args(), S_OK, Outs());
    EXPECT_EQ(S_OK, report->InitEventReporting());
    ExpectReplyConsumed();
}

// ---------------------------------------------------------------------------
// The driver of the rows above
// ---------------------------------------------------------------------------

struct WireType {
    ULONG tag;
    std::size_t size;
};

// Tag and width of a scalar or raw-block wire type.
WireType ScalarType(std::string_view name) {
    static const std::pair<std::string_view, WireType> kTypes[] = {
        {"long", {19, 4}},           {"unsigned long", {17, 4}}, {"short", {20, 2}},
        {"unsigned short", {18, 2}}, {"__int64", {21, 8}},       {"unsigned __int64", {24, 8}},
        {"unsigned char", {22, 1}},  {"char", {26, 1}},          {"int", {23, 4}},
        {"unsigned int", {28, 4}},   {"GUID", {96, 16}},         {"_SYSTEMTIME", {97, 16}},
        {"_FILETIME", {98, 8}},
    };
    for (const auto& [text, type] : kTypes)
        if (text == name) return type;
    if (name.substr(0, 4) == "raw:") {
        const std::string rest(name.substr(4));
        const std::size_t colon = rest.find(':');
        return WireType{static_cast<ULONG>(std::stoul(rest.substr(0, colon))),
                        static_cast<std::size_t>(std::stoul(rest.substr(colon + 1)))};
    }
    ADD_FAILURE() << "unknown wire type " << name;
    return WireType{0, 0};
}

Bytes SentValue(int param, std::size_t size) {
    Bytes out(size);
    for (std::size_t k = 0; k < size; ++k)
        out[k] = static_cast<std::uint8_t>(0x10 * (param + 1) + k);
    return out;
}

Bytes ReceivedValue(int param, std::size_t size) {
    Bytes out(size);
    for (std::size_t k = 0; k < size; ++k)
        out[k] = static_cast<std::uint8_t>(0x85 + 0x10 * param + 3 * k);
    return out;
}

std::u16string Numbered(char16_t prefix, int param) {
    std::u16string text(1, prefix);
    text += static_cast<char16_t>(u'0' + param / 10);
    text += static_cast<char16_t>(u'0' + param % 10);
    return text;
}

class ProxyWireSweep : public ProxyWire {
protected:
    template <std::size_t N>
    void RunAll(const SweepCase (&cases)[N]) {
        for (const SweepCase& c : cases) Run(c);
    }

    void Run(const SweepCase& c) {
        const std::string name(c.method.begin(), c.method.end());
        SCOPED_TRACE(name);
        // A fresh object per method, so that one method's fault cannot
        // spill into the next one's exchange.
        DestroyRepository();
        CreateRepository();
        void* itf = nullptr;
        ASSERT_EQ(S_OK, m_repository->QueryInterface(*c.iid, &itf));
        static_cast<IUnknown*>(itf)->Release();

        Slots s;
        if (c.params.size() == 1 && c.params[0] == "notimpl") {
            EXPECT_EQ(static_cast<HRESULT>(0x80004001u), c.call(itf, s));
            EXPECT_EQ(0u, m_transport->SendCount());
            return;
        }
        std::vector<CUniqueBstr> owned;
        Wire args = Args();
        Wire outs = Outs();
        for (int i = 0; i < static_cast<int>(c.params.size()); ++i) {
            if (c.params[i].substr(0, 3) == "cnt") continue;
            const auto [sent, received] = Sides(c.params[i]);
            if (sent != "-") Send(args, s, i, sent, owned);
            if (received != "-") Answer(outs, i, received);
        }
        Expect(*c.family, c.method, args, S_OK, outs);
        EXPECT_EQ(S_OK, c.call(itf, s));
        ExpectReplyConsumed();
        for (int i = 0; i < static_cast<int>(c.params.size()); ++i) {
            if (c.params[i].substr(0, 3) == "cnt") {
                VerifyCount(s, i, c);
                continue;
            }
            const auto [sent, received] = Sides(c.params[i]);
            if (received != "-") Verify(s, i, received);
        }
    }

private:
    static std::pair<std::string_view, std::string_view> Sides(std::string_view param) {
        const std::size_t slash = param.find('/');
        return {param.substr(0, slash), param.substr(slash + 1)};
    }
    static const ZeroRecord& Zero(std::string_view name) {
        for (const ZeroRecord& z : kZeroRecords)
            if (z.name == name) return z;
        ADD_FAILURE() << "no zero record " << name;
        return kZeroRecords[0];
    }
    static bool Prefix(std::string_view& type, std::string_view prefix) {
        if (type.substr(0, prefix.size()) != prefix) return false;
        type.remove_prefix(prefix.size());
        return true;
    }
    static std::size_t Index(std::string_view digits) {
        return static_cast<std::size_t>(std::stoul(std::string(digits)));
    }

    static void Send(Wire& args, Slots& s, int i, std::string_view type,
                     std::vector<CUniqueBstr>& owned) {
        if (Prefix(type, "arr:")) {
            args.ArrayHead(0, 0);  // no elements, count 0
            return;
        }
        if (Prefix(type, "u*:")) {
            args.Present(false);  // the caller's variable holds nothing yet
            return;
        }
        const bool unique = Prefix(type, "u:");
        if (unique) args.Present(true);
        if (type == "event") {
            args.EmptyEvent();  // the slot holds a zeroed node
        } else if (Prefix(type, "rec:")) {
            args.Put(Hex(std::string(Zero(type).untagged)));  // the slot holds a zeroed record
        } else if (type == "BSTR") {
            const std::u16string text = Numbered(u's', i);
            CUniqueBstr value = Str(text);
            BSTR raw = value.Get();
            std::memcpy(s.Raw(i), &raw, sizeof raw);
            // An [in,out] string is the proxy's to replace; an [in] one stays ours.
            if (unique)
                *value.Address() = nullptr;
            else
                owned.push_back(std::move(value));
            args.Bstr(text);
        } else {
            const Bytes value = SentValue(i, ScalarType(type).size);
            std::memcpy(s.Raw(i), value.data(), value.size());
            args.Put(value);
        }
    }

    static void AnswerElements(Wire& outs, int i, std::string_view element) {
        outs.ArrayHead(2, 2);
        if (Prefix(element, "block:")) {
            outs.Block(ReceivedValue(i, 2 * Index(element)));
        } else {
            for (int e = 0; e < 2; ++e) AnswerValue(outs, 10 * i + e, element);
        }
    }

    static void AnswerValue(Wire& outs, int i, std::string_view type) {
        if (type == "event") {
            outs.ServerEvent();
        } else if (Prefix(type, "rec:")) {
            outs.Put(Hex(std::string(Zero(type).tagged)));
        } else if (type == "BSTR") {
            outs.Bstr(Numbered(u'r', i));
        } else if (type == "VARIANT") {
            outs.VariantWords(VT_I4).Long(0x5A000000 + i);
        } else {
            const WireType wire = ScalarType(type);
            outs.Tag(wire.tag).Put(ReceivedValue(i, wire.size));
        }
    }

    static void Answer(Wire& outs, int i, std::string_view type) {
        if (Prefix(type, "arr:")) return AnswerElements(outs, i, type);
        if (Prefix(type, "u:") || Prefix(type, "u*:")) outs.Present(true);
        AnswerValue(outs, i, type);
    }

    // Checks a received value at `at` and frees what it owns.
    static void VerifyValue(std::uint8_t* at, int i, std::string_view type) {
        if (type == "event") {
            ExpectServerEvent(*reinterpret_cast<_RNSM_EVENT*>(at));
        } else if (Prefix(type, "rec:")) {
            // A zero record owns nothing.
        } else if (type == "BSTR") {
            BSTR text = nullptr;
            std::memcpy(&text, at, sizeof text);
            const std::u16string expected = Numbered(u'r', i);
            EXPECT_EQ(std::string(expected.begin(), expected.end()), Text(text));
            SysFreeString(text);
        } else if (type == "VARIANT") {
            VARIANT* value = reinterpret_cast<VARIANT*>(at);
            EXPECT_EQ(VT_I4, V(value->vt));
            EXPECT_EQ(0x5A000000 + i, V(value->lVal));
            VariantClear(value);
        } else {
            const Bytes expected = ReceivedValue(i, ScalarType(type).size);
            EXPECT_EQ(ToHex(expected), ToHex(Bytes(at, at + expected.size())));
        }
    }

    static std::size_t ElementSize(std::string_view element) {
        if (Prefix(element, "block:")) return Index(element);
        if (element == "BSTR") return sizeof(BSTR);
        return ScalarType(element).size;
    }

    static void Verify(Slots& s, int i, std::string_view type) {
        SCOPED_TRACE(i);
        if (Prefix(type, "arr:")) {
            std::uint8_t* elements = s.Value<std::uint8_t*>(i);
            ASSERT_NE(nullptr, elements);
            if (type.substr(0, 4) == "rec:") {
                // Zero records own nothing; only the array is freed.
            } else if (std::string_view block = type; Prefix(block, "block:")) {
                const Bytes expected = ReceivedValue(i, 2 * Index(block));
                EXPECT_EQ(ToHex(expected), ToHex(Bytes(elements, elements + expected.size())));
            } else {
                const std::size_t size = ElementSize(type);
                for (int e = 0; e < 2; ++e) VerifyValue(elements + e * size, 10 * i + e, type);
            }
            CoTaskMemFree(elements);
            return;
        }
        if (Prefix(type, "u*:")) {
            std::uint8_t* pointee = s.Value<std::uint8_t*>(i);
            ASSERT_NE(nullptr, pointee);
            VerifyValue(pointee, i, type);
            CoTaskMemFree(pointee);
            return;
        }
        Prefix(type, "u:");
        VerifyValue(s.Raw(i), i, type);
    }

    // The count that travels with an array: set from the received length.
    static void VerifyCount(Slots& s, int i, const SweepCase& c) {
        std::string_view type = c.params[i];
        if (!Prefix(type, "cnt*:")) return;
        const auto [sent, received] = Sides(c.params[Index(type)]);
        if (received == "-") return;
        SCOPED_TRACE(i);
        EXPECT_EQ(2u, s.Value<std::uint32_t>(i));
    }
};

TEST_F(ProxyWireSweep, FileSystemMethods) { RunAll(kFileSystemCases); }
TEST_F(ProxyWireSweep, FileSystemViewMethods) { RunAll(kFileSystemViewCases); }
TEST_F(ProxyWireSweep, SbsMethods) { RunAll(kSBSCases); }
TEST_F(ProxyWireSweep, VaultMethods) { RunAll(kVaultCases); }
TEST_F(ProxyWireSweep, JobQueueMethods) { RunAll(kJobQueueCases); }
TEST_F(ProxyWireSweep, LocalUserManagerMethods) { RunAll(kLocalUserManagerCases); }
TEST_F(ProxyWireSweep, UpdateMethods) { RunAll(kUpdateCases); }
TEST_F(ProxyWireSweep, EventReportMethods) { RunAll(kEventReportCases); }

}  // namespace
}  // namespace ql::test
