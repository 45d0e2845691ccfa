#include <cstdlib>
#include <cstring>
#include <limits>

#include "support/base/com_types.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_ISequentialStream = {
    0x0c733a30, 0x2a1c, 0x11ce, {0xad, 0xe5, 0x00, 0xaa, 0x00, 0x44, 0x77, 0x3d}};
const IID IID_IStream = {0x0000000c, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

int StringFromGUID2(REFGUID guid, LPOLESTR out, int cchMax) {
    constexpr int kChars = 39;
    if (out == nullptr || cchMax < kChars) return 0;
    static const char kHex[] = "0123456789ABCDEF";
    int pos = 0;
    auto put = [&](char c) { out[pos++] = static_cast<OLECHAR>(c); };
    auto hex = [&](std::uint64_t value, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
            put(kHex[(value >> shift) & 0xF]);
    };
    put('{');
    hex(guid.Data1, 8);
    put('-');
    hex(guid.Data2, 4);
    put('-');
    hex(guid.Data3, 4);
    put('-');
    hex(guid.Data4[0], 2);
    hex(guid.Data4[1], 2);
    put('-');
    for (int i = 2; i < 8; ++i) hex(guid.Data4[i], 2);
    put('}');
    out[pos++] = 0;
    return pos;
}

void* CoTaskMemAlloc(SIZE_T cb) { return std::malloc(cb == 0 ? 1 : cb); }

void* CoTaskMemRealloc(void* pv, SIZE_T cb) {
    if (cb == 0) {
        std::free(pv);
        return nullptr;
    }
    return std::realloc(pv, cb);
}

void CoTaskMemFree(void* pv) { std::free(pv); }

namespace {

// Allocation layout: [4-byte byte length][text][2-byte terminator]; the BSTR
// points at the text.
constexpr std::size_t kPrefix = sizeof(std::uint32_t);
constexpr std::size_t kTerminator = sizeof(OLECHAR);
// The byte length must stay representable as a 32-bit count after adding
// prefix and terminator.
constexpr UINT kMaxBstrBytes = std::numeric_limits<std::uint32_t>::max() - 16;

BSTR AllocBstr(const void* source, UINT byteCount) {
    if (byteCount > kMaxBstrBytes) return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(kPrefix + byteCount + kTerminator));
    if (block == nullptr) return nullptr;
    std::uint32_t length = byteCount;
    std::memcpy(block, &length, kPrefix);
    unsigned char* text = block + kPrefix;
    if (source != nullptr && byteCount != 0) std::memcpy(text, source, byteCount);
    text[byteCount] = 0;
    text[byteCount + 1] = 0;
    return reinterpret_cast<BSTR>(text);
}

unsigned char* BlockOf(BSTR bstr) { return reinterpret_cast<unsigned char*>(bstr) - kPrefix; }

}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr) return nullptr;
    std::size_t chars = 0;
    while (text[chars] != 0) ++chars;
    if (chars > kMaxBstrBytes / 2) return nullptr;
    return AllocBstr(text, static_cast<UINT>(chars * 2));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT chars) {
    if (chars > kMaxBstrBytes / 2) return nullptr;
    BSTR result = AllocBstr(text, chars * 2);
    if (result != nullptr && text == nullptr && chars != 0) std::memset(result, 0, chars * 2);
    return result;
}

BSTR SysAllocStringByteLen(LPCSTR bytes, UINT byteCount) { return AllocBstr(bytes, byteCount); }

UINT SysStringByteLen(BSTR bstr) {
    if (bstr == nullptr) return 0;
    std::uint32_t length;
    std::memcpy(&length, BlockOf(bstr), kPrefix);
    return length;
}

UINT SysStringLen(BSTR bstr) { return SysStringByteLen(bstr) / 2; }

void SysFreeString(BSTR bstr) {
    if (bstr != nullptr) std::free(BlockOf(bstr));
}

void VariantInit(VARIANT* v) {
    v->vt = VT_EMPTY;
    v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
}

HRESULT VariantClear(VARIANT* v) {
    if (v == nullptr) return E_INVALIDARG;
    if ((v->vt & VT_BYREF) == 0) {
        switch (v->vt & ~VT_ARRAY) {
            case VT_BSTR:
                if ((v->vt & VT_ARRAY) != 0) return DISP_E_BADVARTYPE;
                SysFreeString(v->bstrVal);
                break;
            case VT_UNKNOWN:
            case VT_DISPATCH:
                if ((v->vt & VT_ARRAY) != 0) return DISP_E_BADVARTYPE;
                if (v->punkVal != nullptr) v->punkVal->Release();
                break;
            default:
                if ((v->vt & VT_ARRAY) != 0) return DISP_E_BADVARTYPE;
                break;
        }
    }
    v->vt = VT_EMPTY;
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (dest == nullptr || src == nullptr) return E_INVALIDARG;
    if ((src->vt & VT_ARRAY) != 0) return DISP_E_BADVARTYPE;
    if (dest == src) return S_OK;
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr)) return hr;
    *dest = *src;
    if ((src->vt & VT_BYREF) != 0) return S_OK;
    if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
        dest->bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(src->bstrVal),
                                              SysStringByteLen(src->bstrVal));
        if (dest->bstrVal == nullptr) {
            dest->vt = VT_EMPTY;
            return E_OUTOFMEMORY;
        }
    } else if ((src->vt == VT_UNKNOWN || src->vt == VT_DISPATCH) && src->punkVal != nullptr) {
        src->punkVal->AddRef();
    }
    return S_OK;
}

void InitializeCriticalSection(CRITICAL_SECTION* cs) {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&cs->mutex, &attr);
    pthread_mutexattr_destroy(&attr);
}

void EnterCriticalSection(CRITICAL_SECTION* cs) { pthread_mutex_lock(&cs->mutex); }

BOOL TryEnterCriticalSection(CRITICAL_SECTION* cs) {
    return pthread_mutex_trylock(&cs->mutex) == 0 ? TRUE : FALSE;
}

void LeaveCriticalSection(CRITICAL_SECTION* cs) { pthread_mutex_unlock(&cs->mutex); }

void DeleteCriticalSection(CRITICAL_SECTION* cs) { pthread_mutex_destroy(&cs->mutex); }
