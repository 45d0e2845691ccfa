#include "support/trace/trace_format.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "support/registry/registry.h"
#include "support/security/account_names.h"

namespace ql {

namespace {

// Carries a va_list by reference across helper functions on every ABI.
struct VaArgs {
    va_list ap;
};

enum class LengthKind { Default, Char, Short, Long32, Long64, Size };

struct ConversionSpec {
    std::string flags;
    int width = -1;
    bool widthFromArgs = false;
    int precision = -1;
    bool precisionFromArgs = false;
    LengthKind length = LengthKind::Default;
    bool wideOverride = false;    // "l" or "w" before s / c
    bool narrowOverride = false;  // "h" before s / c
    char conversion = 0;
};

enum class ArgKind { None, Int32, Int64, Double, Pointer };

struct ArgValue {
    std::uint64_t bits = 0;
    double real = 0;
    const void* pointer = nullptr;
};

bool IsDigit(WCHAR c) { return c >= '0' && c <= '9'; }

// Parses the part after "%" (or between the "!" of an insert). Returns the
// number of characters consumed, 0 when no conversion character is found.
std::size_t ParseSpec(LPCWSTR text, std::size_t limit, ConversionSpec& spec) {
    std::size_t i = 0;
    while (i < limit && (text[i] == '-' || text[i] == '+' || text[i] == ' ' || text[i] == '#' ||
                         text[i] == '0')) {
        spec.flags += static_cast<char>(text[i]);
        ++i;
    }
    if (i < limit && text[i] == '*') {
        spec.widthFromArgs = true;
        ++i;
    } else {
        while (i < limit && IsDigit(text[i])) {
            spec.width = (spec.width < 0 ? 0 : spec.width) * 10 + (text[i] - '0');
            if (spec.width > 4096) spec.width = 4096;
            ++i;
        }
    }
    if (i < limit && text[i] == '.') {
        ++i;
        spec.precision = 0;
        if (i < limit && text[i] == '*') {
            spec.precisionFromArgs = true;
            ++i;
        } else {
            while (i < limit && IsDigit(text[i])) {
                spec.precision = spec.precision * 10 + (text[i] - '0');
                if (spec.precision > 4096) spec.precision = 4096;
                ++i;
            }
        }
    }
    while (i < limit) {
        WCHAR c = text[i];
        if (c == 'h') {
            spec.length = spec.length == LengthKind::Short ? LengthKind::Char : LengthKind::Short;
            spec.narrowOverride = true;
        } else if (c == 'l') {
            spec.length =
                spec.length == LengthKind::Long32 ? LengthKind::Long64 : LengthKind::Long32;
            spec.wideOverride = true;
        } else if (c == 'w') {
            spec.wideOverride = true;
        } else if (c == 'z' || c == 'j' || c == 't') {
            spec.length = LengthKind::Size;
        } else if (c == 'L') {
            spec.length = LengthKind::Long64;
        } else if (c == 'I' && i + 2 < limit && text[i + 1] == '6' && text[i + 2] == '4') {
            spec.length = LengthKind::Long64;
            i += 2;
        } else if (c == 'I' && i + 2 < limit && text[i + 1] == '3' && text[i + 2] == '2') {
            spec.length = LengthKind::Long32;
            i += 2;
        } else if (c == 'I') {
            spec.length = LengthKind::Size;
        } else {
            break;
        }
        ++i;
    }
    if (i >= limit) return 0;
    WCHAR c = text[i];
    static const char kConversions[] = "diouxXcCsSpeEfgGaA%";
    if (c > 0x7F || std::strchr(kConversions, static_cast<char>(c)) == nullptr || c == 0) return 0;
    spec.conversion = static_cast<char>(c);
    return i + 1;
}

ArgKind KindOf(const ConversionSpec& spec) {
    switch (spec.conversion) {
        case 'd':
        case 'i':
        case 'o':
        case 'u':
        case 'x':
        case 'X':
            if (spec.length == LengthKind::Long64) return ArgKind::Int64;
            if (spec.length == LengthKind::Size)
                return sizeof(std::size_t) == 8 ? ArgKind::Int64 : ArgKind::Int32;
            return ArgKind::Int32;
        case 'c':
        case 'C':
            return ArgKind::Int32;
        case 's':
        case 'S':
        case 'p':
            return ArgKind::Pointer;
        case 'e':
        case 'E':
        case 'f':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            return ArgKind::Double;
        default:
            return ArgKind::None;
    }
}

ArgValue Fetch(ArgKind kind, VaArgs& args) {
    ArgValue value;
    switch (kind) {
        case ArgKind::Int32:
            value.bits = static_cast<std::uint32_t>(va_arg(args.ap, int));
            break;
        case ArgKind::Int64:
            value.bits = va_arg(args.ap, unsigned long long);
            break;
        case ArgKind::Double:
            value.real = va_arg(args.ap, double);
            break;
        case ArgKind::Pointer:
            value.pointer = va_arg(args.ap, const void*);
            break;
        case ArgKind::None:
            break;
    }
    return value;
}

void AppendNarrow(WString& out, const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        out += static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
}

void AppendPadded(WString& out, const WString& body, const ConversionSpec& spec) {
    std::size_t width = spec.width > 0 ? static_cast<std::size_t>(spec.width) : 0;
    bool left = spec.flags.find('-') != std::string::npos;
    if (!left && body.size() < width) out.append(width - body.size(), ' ');
    out += body;
    if (left && body.size() < width) out.append(width - body.size(), ' ');
}

void Render(WString& out, const ConversionSpec& spec, const ArgValue& value) {
    switch (spec.conversion) {
        case '%':
            out += '%';
            return;
        case 'c':
        case 'C': {
            WString body(1, static_cast<WCHAR>(value.bits & 0xFFFF));
            AppendPadded(out, body, spec);
            return;
        }
        case 's':
        case 'S': {
            bool wide = spec.conversion == 's';
            if (spec.wideOverride) wide = true;
            if (spec.narrowOverride) wide = false;
            WString body;
            if (value.pointer == nullptr) {
                body = OLESTR("(null)");
            } else if (wide) {
                auto* text = static_cast<LPCWSTR>(value.pointer);
                for (std::size_t i = 0;
                     text[i] != 0 &&
                     (spec.precision < 0 || i < static_cast<std::size_t>(spec.precision));
                     ++i)
                    body += text[i];
            } else {
                auto* text = static_cast<const char*>(value.pointer);
                for (std::size_t i = 0;
                     text[i] != 0 &&
                     (spec.precision < 0 || i < static_cast<std::size_t>(spec.precision));
                     ++i)
                    body += static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
            }
            AppendPadded(out, body, spec);
            return;
        }
        default:
            break;
    }
    // Numbers go through the C library with an explicit, safe conversion.
    std::string format = "%" + spec.flags;
    if (spec.width >= 0) format += std::to_string(spec.width);
    if (spec.precision >= 0) format += "." + std::to_string(spec.precision);
    std::array<char, 512> buffer{};
    int written = 0;
    switch (KindOf(spec)) {
        case ArgKind::Int32: {
            format += spec.conversion;
            bool isSigned = spec.conversion == 'd' || spec.conversion == 'i';
            auto bits = static_cast<std::uint32_t>(value.bits);
            if (spec.length == LengthKind::Short) bits &= 0xFFFF;
            if (spec.length == LengthKind::Char) bits &= 0xFF;
            if (isSigned) {
                std::int32_t v = static_cast<std::int32_t>(bits);
                if (spec.length == LengthKind::Short) v = static_cast<std::int16_t>(bits);
                if (spec.length == LengthKind::Char) v = static_cast<std::int8_t>(bits);
                written = std::snprintf(buffer.data(), buffer.size(), format.c_str(), v);
            } else {
                written = std::snprintf(buffer.data(), buffer.size(), format.c_str(), bits);
            }
            break;
        }
        case ArgKind::Int64:
            format += "ll";
            format += spec.conversion;
            if (spec.conversion == 'd' || spec.conversion == 'i')
                written = std::snprintf(buffer.data(), buffer.size(), format.c_str(),
                                        static_cast<long long>(value.bits));
            else
                written = std::snprintf(buffer.data(), buffer.size(), format.c_str(),
                                        static_cast<unsigned long long>(value.bits));
            break;
        case ArgKind::Double:
            format += spec.conversion;
            written = std::snprintf(buffer.data(), buffer.size(), format.c_str(), value.real);
            break;
        case ArgKind::Pointer: {
            // Windows prints pointers as zero-padded upper-case hexadecimal.
            int digits = static_cast<int>(sizeof(void*) * 2);
            written = std::snprintf(
                buffer.data(), buffer.size(), "%0*llX", digits,
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(value.pointer)));
            break;
        }
        case ArgKind::None:
            break;
    }
    if (written > 0)
        AppendNarrow(out, buffer.data(),
                     std::min(static_cast<std::size_t>(written), buffer.size() - 1));
}

// Resolves width and precision given as "*".
void TakeStarArguments(ConversionSpec& spec, VaArgs& args) {
    if (spec.widthFromArgs) {
        int width = va_arg(args.ap, int);
        if (width < 0) {
            spec.flags += '-';
            width = -width;
        }
        spec.width = std::min(width, 4096);
    }
    if (spec.precisionFromArgs) spec.precision = std::min(va_arg(args.ap, int), 4096);
}

// ---- custom insert types ----

struct BuiltinInterfaceName {
    GUID iid;
    const char* name;
};

const BuiltinInterfaceName kBuiltinInterfaceNames[] = {
    {{0x000214E4, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}, "IContextMenu"},
    {{0x000214E8, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}, "IShellExtInit"},
    {{0x000214FA, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}, "IExtractIconW"},
    {{0x7D688A70, 0xC613, 0x11D0, {0x99, 0x9B, 0x00, 0xC0, 0x4F, 0xD6, 0x55, 0xE1}},
     "IShellIconOverlay"},
    {{0x0C6C4200, 0xC589, 0x11D0, {0x99, 0x9A, 0x00, 0xC0, 0x4F, 0xD6, 0x55, 0xE1}},
     "IShellIconOverlayIdentifier"},
    {{0x00000003, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}, "IMarshal"},
    {{0x00000018, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}, "IStdMarshalInfo"},
    {{0x00000019, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}, "IExternalConnection"},
};

WString GuidText(const GUID& guid) {
    WCHAR buffer[40] = {};
    int chars = StringFromGUID2(guid, buffer, 40);
    return chars > 0 ? WString(buffer, static_cast<std::size_t>(chars - 1)) : WString();
}

constexpr std::size_t kMaxInterfaceNameChars = 256;

// The name the system registers for an interface: the default value of
// HKEY_CLASSES_ROOT\Interface\{iid}; empty when there is none. Registry
// reads never trace, so this cannot recurse into the tracer.
WString RegisteredInterfaceName(const WString& braced) {
    const WString key = OLESTR("Interface\\") + braced;
    WString name(kMaxInterfaceNameChars + 1, 0);
    DWORD chars = static_cast<DWORD>(name.size());
    DWORD result =
        TqlReadRegistryString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, name.data(), &chars, FALSE);
    if (result == ERROR_MORE_DATA) {
        // Longer than the insert may be: read it whole and cut it below.
        name.assign(chars, 0);
        result = TqlReadRegistryString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, name.data(), &chars,
                                       FALSE);
    }
    if (result != 0) return WString();
    name.resize(WideLength(name.c_str()));
    return name;
}

WString SidText(const void* sid) {
    WCHAR buffer[256] = {};
    if (TqlSidToText(sid, buffer, 256) != 0) return OLESTR("Unknown SID");
    return WString(buffer);
}

WString Binary(std::uint64_t value, int bits) {
    WString text;
    for (int bit = bits - 1; bit >= 0; --bit) text += ((value >> bit) & 1) != 0 ? '1' : '0';
    return text;
}

enum class CustomType { None, Z, R, GU, GI, B, I64B, I64Print };

CustomType CustomTypeOf(const WString& type) {
    if (type == OLESTR("Z")) return CustomType::Z;
    if (type == OLESTR("R")) return CustomType::R;
    if (type == OLESTR("GU")) return CustomType::GU;
    if (type == OLESTR("GI")) return CustomType::GI;
    if (type == OLESTR("B")) return CustomType::B;
    if (type == OLESTR("I64B")) return CustomType::I64B;
    if (type.size() == 4 && type.compare(0, 3, OLESTR("I64")) == 0) {
        WCHAR c = type[3];
        if (c == 'X' || c == 'x' || c == 'd' || c == 'i' || c == 'o' || c == 'u')
            return CustomType::I64Print;
    }
    return CustomType::None;
}

WString RenderCustom(CustomType type, const WString& typeText, const ArgValue& value,
                     DWORD stripOptions) {
    switch (type) {
        case CustomType::Z: {
            WString text(32768, 0);
            auto code = static_cast<DWORD>(value.bits);
            if (TqlGetErrorText(code, stripOptions, text.data(), 32768) == 0) {
                text.resize(WideLength(text.c_str()));
                return text;
            }
            char buffer[48];
            std::snprintf(buffer, sizeof buffer, "Unknown system error - 0x%X",
                          static_cast<unsigned>(code));
            return WidenAscii(buffer);
        }
        case CustomType::R:
            return SidText(value.pointer);
        case CustomType::GU:
            if (value.pointer == nullptr) return OLESTR("<NULL>");
            return GuidText(*static_cast<const GUID*>(value.pointer));
        case CustomType::GI: {
            if (value.pointer == nullptr) return OLESTR("<NULL>");
            const auto& iid = *static_cast<const GUID*>(value.pointer);
            WString braced = GuidText(iid);
            WString name = RegisteredInterfaceName(braced);
            for (const auto& entry : kBuiltinInterfaceNames)
                if (name.empty() && IsEqualGUID(entry.iid, iid)) name = WidenAscii(entry.name);
            if (name.empty()) name = braced;
            name.resize(std::min<std::size_t>(name.size(), kMaxInterfaceNameChars));
            return name;
        }
        case CustomType::B:
            return Binary(static_cast<std::uint32_t>(value.bits), 32);
        case CustomType::I64B:
            if (value.pointer == nullptr) return OLESTR("<NULL>");
            return Binary(*static_cast<const std::uint64_t*>(value.pointer), 64);
        case CustomType::I64Print: {
            if (value.pointer == nullptr) return OLESTR("<NULL>");
            std::uint64_t number;
            std::memcpy(&number, value.pointer, sizeof number);
            char format[8] = {'%', 'l', 'l', static_cast<char>(typeText[3]), 0};
            char buffer[32];
            if (typeText[3] == 'd' || typeText[3] == 'i')
                std::snprintf(buffer, sizeof buffer, format, static_cast<long long>(number));
            else
                std::snprintf(buffer, sizeof buffer, format,
                              static_cast<unsigned long long>(number));
            return WidenAscii(buffer);
        }
        case CustomType::None:
            break;
    }
    return WString();
}

constexpr int kMaxInserts = 99;

struct InsertRef {
    int number = 0;
    WString type;  // empty: "s"
};

// Scans one "%" sequence at text[i] (text[i] == '%'). Returns the number of
// characters it covers; sets ref.number when it is an insert, stop when the
// template ends there.
std::size_t ScanPercent(LPCWSTR text, std::size_t i, std::size_t length, InsertRef& ref,
                        bool& stop) {
    stop = false;
    ref = InsertRef{};
    if (i + 1 >= length || text[i + 1] == '0') {
        stop = true;
        return 1;
    }
    WCHAR next = text[i + 1];
    if (!IsDigit(next)) return 2;
    std::size_t j = i + 1;
    int number = 0;
    while (j < length && IsDigit(text[j]) && number <= kMaxInserts) {
        number = number * 10 + (text[j] - '0');
        ++j;
    }
    ref.number = number;
    if (j < length && text[j] == '!') {
        std::size_t close = j + 1;
        while (close < length && text[close] != '!') ++close;
        if (close < length) {
            ref.type.assign(text + j + 1, text + close);
            j = close + 1;
        }
    }
    return j - i;
}

ArgKind InsertKind(const WString& type) {
    switch (CustomTypeOf(type)) {
        case CustomType::Z:
        case CustomType::B:
            return ArgKind::Int32;
        case CustomType::R:
        case CustomType::GU:
        case CustomType::GI:
        case CustomType::I64B:
        case CustomType::I64Print:
            return ArgKind::Pointer;
        case CustomType::None:
            break;
    }
    if (type.empty()) return ArgKind::Pointer;
    ConversionSpec spec;
    if (ParseSpec(type.c_str(), type.size(), spec) != type.size()) return ArgKind::Pointer;
    return KindOf(spec);
}

}  // namespace

WString TqlFormatPrintf(LPCWSTR format, va_list args) {
    WString out;
    if (format == nullptr) return out;
    VaArgs va;
    va_copy(va.ap, args);
    std::size_t length = WideLength(format);
    for (std::size_t i = 0; i < length; ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        ConversionSpec spec;
        std::size_t used = ParseSpec(format + i + 1, length - i - 1, spec);
        if (used == 0) {
            // Not a conversion: print it as it stands.
            out += format[i];
            continue;
        }
        TakeStarArguments(spec, va);
        ArgValue value = Fetch(KindOf(spec), va);
        Render(out, spec, value);
        i += used;
    }
    va_end(va.ap);
    return out;
}

DWORD TqlFormatInserts(LPCWSTR templateText, DWORD stripOptions, va_list args, WString& out) {
    out.clear();
    if (templateText == nullptr) return ERROR_INVALID_PARAMETER;
    std::size_t length = WideLength(templateText);

    // First pass: the argument kind of every insert number used.
    std::array<ArgKind, kMaxInserts + 1> kinds{};
    int highest = 0;
    for (std::size_t i = 0; i < length;) {
        if (templateText[i] != '%') {
            ++i;
            continue;
        }
        InsertRef ref;
        bool stop = false;
        std::size_t used = ScanPercent(templateText, i, length, ref, stop);
        if (stop) break;
        if (ref.number >= 1 && ref.number <= kMaxInserts) {
            if (kinds[ref.number] == ArgKind::None) kinds[ref.number] = InsertKind(ref.type);
            highest = std::max(highest, ref.number);
        }
        i += used;
    }

    // Arguments are taken in order; an unreferenced one occupies one slot.
    std::array<ArgValue, kMaxInserts + 1> values{};
    VaArgs va;
    va_copy(va.ap, args);
    for (int n = 1; n <= highest; ++n)
        values[n] = Fetch(kinds[n] == ArgKind::None ? ArgKind::Int32 : kinds[n], va);
    va_end(va.ap);

    bool oneLine = (stripOptions & kTqlStripOneLine) != 0;
    for (std::size_t i = 0; i < length;) {
        WCHAR c = templateText[i];
        if (c == '\r' || c == '\n') {
            // Line breaks of the template itself: kept, or one blank when the
            // output is one line.
            std::size_t run = (c == '\r' && i + 1 < length && templateText[i + 1] == '\n') ? 2 : 1;
            if (oneLine)
                out += ' ';
            else
                out.append(OLESTR("\r\n"));
            i += run;
            continue;
        }
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        InsertRef ref;
        bool stop = false;
        std::size_t used = ScanPercent(templateText, i, length, ref, stop);
        if (stop) break;
        if (ref.number == 0) {
            WCHAR escaped = templateText[i + 1];
            switch (escaped) {
                case 'n':
                    out.append(OLESTR("\r\n"));
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'b':
                    out += ' ';
                    break;
                default:
                    out += escaped;  // "%%", "% ", "%.", "%!"
                    break;
            }
        } else if (ref.number > kMaxInserts) {
            out.append(templateText + i, used);
        } else {
            const ArgValue& value = values[ref.number];
            CustomType custom = CustomTypeOf(ref.type);
            if (custom != CustomType::None) {
                out += RenderCustom(custom, ref.type, value, stripOptions);
            } else if (ref.type.empty()) {
                ConversionSpec spec;
                spec.conversion = 's';
                Render(out, spec, value);
            } else {
                ConversionSpec spec;
                if (ParseSpec(ref.type.c_str(), ref.type.size(), spec) == ref.type.size() &&
                    !spec.widthFromArgs && !spec.precisionFromArgs) {
                    Render(out, spec, value);
                } else {
                    out.append(templateText + i, used);
                }
            }
        }
        i += used;
    }
    TqlApplyStripOptions(out, stripOptions);
    return 0;
}

WString TqlFormatMessageToString(LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    WString text;
    TqlFormatInserts(format, 0, args, text);
    va_end(args);
    return text;
}

}  // namespace ql
