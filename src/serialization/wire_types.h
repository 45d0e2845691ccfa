// Wire types: one small struct per encoding, naming the C++ type it carries
// and how it is written, read and released. Holders, arrays, lists and the
// generated record codecs are written against this shape:
//
//   using type = ...;                     the in-memory type
//   static constexpr bool kBlockElement;  arrays of it travel as one raw run
//   static void Write(CBinarySerializer&, const type&);
//   static void Read(CBinaryDeserializer&, type&);
//   static void Release(type&, ATL::IAtlMemMgr*) noexcept;  frees what the
//                                          value owns, not the value itself
#pragma once

#include <cstring>

#include "serialization/binary_deserializer.h"
#include "serialization/binary_serializer.h"
#include "serialization/wire_tags.h"

namespace ql::wire {

template <ULONG kTag, class T>
struct Scalar {
    using type = T;
    static constexpr bool kBlockElement = true;
    static void Write(CBinarySerializer& out, const T& value) { out.WriteScalar(kTag, value); }
    static void Read(CBinaryDeserializer& in, T& value) { in.ReadScalar(kTag, value); }
    static void Release(T&, ATL::IAtlMemMgr*) noexcept {}
};

using ULong = Scalar<kTagULong, ULONG>;
using UShort = Scalar<kTagUShort, USHORT>;
using Long = Scalar<kTagLong, LONG>;
using Short = Scalar<kTagShort, SHORT>;
using Int64 = Scalar<kTagInt64, LONGLONG>;
using UChar = Scalar<kTagUChar, BYTE>;
using Int = Scalar<kTagInt, INT>;
using UInt64 = Scalar<kTagUInt64, ULONGLONG>;
using Double = Scalar<kTagDouble, DOUBLE>;
using Char = Scalar<kTagChar, CHAR>;
using UInt = Scalar<kTagUInt, UINT>;

// Enumerations of the type library travel as int.
template <class E>
struct Enum : Scalar<kTagInt, E> {
    static_assert(sizeof(E) == sizeof(INT), "enumerations travel as 32-bit int");
};

// _ULARGE_INTEGER travels as its QuadPart.
struct ULargeInteger {
    using type = ULARGE_INTEGER;
    static constexpr bool kBlockElement = true;
    static void Write(CBinarySerializer& out, const type& value) {
        out.WriteScalar(kTagUInt64, value.QuadPart);
    }
    static void Read(CBinaryDeserializer& in, type& value) {
        in.ReadScalar(kTagUInt64, value.QuadPart);
    }
    static void Release(type&, ATL::IAtlMemMgr*) noexcept {}
};

struct Bstr {
    using type = BSTR;
    static constexpr bool kBlockElement = false;
    static void Write(CBinarySerializer& out, const type& value) { out.WriteBstr(value); }
    static void Read(CBinaryDeserializer& in, type& value) { in.ReadBstr(value); }
    static void Release(type& value, ATL::IAtlMemMgr*) noexcept {
        SysFreeString(value);
        value = nullptr;
    }
};

struct Guid {
    using type = GUID;
    static constexpr bool kBlockElement = false;
    static void Write(CBinarySerializer& out, const type& value) { out.WriteGuid(value); }
    static void Read(CBinaryDeserializer& in, type& value) { in.ReadGuid(value); }
    static void Release(type&, ATL::IAtlMemMgr*) noexcept {}
};

struct SystemTime {
    using type = SYSTEMTIME;
    static constexpr bool kBlockElement = false;
    static void Write(CBinarySerializer& out, const type& value) { out.WriteSystemTime(value); }
    static void Read(CBinaryDeserializer& in, type& value) { in.ReadSystemTime(value); }
    static void Release(type&, ATL::IAtlMemMgr*) noexcept {}
};

// Written only: no reply carries a FILETIME.
struct FileTime {
    using type = FILETIME;
    static constexpr bool kBlockElement = false;
    static void Write(CBinarySerializer& out, const type& value) { out.WriteFileTime(value); }
    static void Release(type&, ATL::IAtlMemMgr*) noexcept {}
};

struct Variant {
    using type = VARIANT;
    static constexpr bool kBlockElement = false;
    static void Write(CBinarySerializer& out, const type& value) { out.WriteVariant(value); }
    static void Read(CBinaryDeserializer& in, type& value) { in.ReadVariant(value); }
    static void Release(type& value, ATL::IAtlMemMgr*) noexcept {
        VariantClear(&value);
        std::memset(&value, 0, sizeof value);
    }
};

}  // namespace ql::wire
