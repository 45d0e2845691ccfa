#include "support/registry/registry_store_posix.h"

#include <algorithm>
#include <cstring>

#include "support/base/wide_string.h"
#include "support/registry/registry.h"

namespace ql {

namespace {

constexpr char kFileHeader[] =
    "# Quillon registry store, format 1 (UTF-8). Keys in [brackets], values as\n"
    "# \"name\"=type:data. See the README section \"Registry store on Linux\".\n";

constexpr char kHexDigits[] = "0123456789abcdef";

// Type names of the values written as text; every other value (and one whose
// data does not have its type's form) is written as hex(type):bytes.
struct TypeName {
    DWORD type;
    std::string_view name;
};
constexpr TypeName kTypeNames[] = {{REG_SZ, "sz"},
                                   {REG_EXPAND_SZ, "expand_sz"},
                                   {REG_MULTI_SZ, "multi_sz"},
                                   {REG_DWORD, "dword"},
                                   {REG_DWORD_BIG_ENDIAN, "dword_be"}};

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}
bool IsDwordType(DWORD type) { return type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN; }
bool IsHighSurrogate(WCHAR c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(WCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }

WCHAR FoldChar(WCHAR c) {
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<WCHAR>(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<WCHAR>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs capital and small letters, capital first,
        // except in the two runs that start on an odd code point.
        bool oddRun = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if (oddRun) return (c % 2 == 0) ? static_cast<WCHAR>(c - 1) : c;
        return (c % 2 == 1) ? static_cast<WCHAR>(c - 1) : c;
    }
    if (c == 0x3C2) return 0x3A3;  // final sigma
    if (c >= 0x3B1 && c <= 0x3CB) return static_cast<WCHAR>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return static_cast<WCHAR>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<WCHAR>(c - 0x50);
    return c;
}

bool SameName(WStringView a, WStringView b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](WCHAR x, WCHAR y) {
               return FoldChar(x) == FoldChar(y);
           });
}

// --- writing -----------------------------------------------------------------

void AppendUnitEscape(std::string& out, WCHAR c) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(c >> shift) & 0xF];
}

// Text as UTF-8 in quotes. Quote, backslash, NUL, line breaks, tab, other
// control characters and unpaired surrogates are escaped, so that every
// sequence of UTF-16 units reads back unchanged.
void AppendQuoted(std::string& out, WStringView text) {
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        WCHAR c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            AppendUnitEscape(out, c);
        } else if (c == u'"' || c == u'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == 0) {
            out += "\\0";
        } else if (c == u'\n') {
            out += "\\n";
        } else if (c == u'\r') {
            out += "\\r";
        } else if (c == u'\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            AppendUnitEscape(out, c);
        } else {
            AppendUtf8(out, c);
        }
    }
    out += '"';
}

void AppendHex(std::string& out, DWORD value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kHexDigits[(value >> shift) & 0xF];
}

std::string_view TextTypeName(DWORD type) {
    for (const auto& entry : kTypeNames)
        if (entry.type == type) return entry.name;
    return {};
}

void AppendValue(std::string& out, const TqlRegistryValue& value) {
    AppendQuoted(out, value.name);
    out += '=';
    const std::vector<BYTE>& data = value.data;
    std::size_t units = data.size() / 2;
    bool terminated = data.size() % 2 == 0 && units > 0 && data[data.size() - 1] == 0 &&
                      data[data.size() - 2] == 0;
    if (IsStringType(value.type) && terminated) {
        WString text(units - 1, 0);
        std::memcpy(text.data(), data.data(), (units - 1) * sizeof(WCHAR));
        out += TextTypeName(value.type);
        out += ':';
        AppendQuoted(out, text);
    } else if (IsDwordType(value.type) && data.size() == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        out += TextTypeName(value.type);
        out += ':';
        AppendHex(out, number, 8);
    } else {
        out += "hex(";
        char digits[9] = {};
        int length = 0;
        DWORD type = value.type;
        do {
            digits[length++] = kHexDigits[type & 0xF];
            type >>= 4;
        } while (type != 0);
        while (length > 0) out += digits[--length];
        out += "):";
        for (std::size_t i = 0; i < data.size(); ++i) {
            if (i != 0) out += ',';
            AppendHex(out, data[i], 2);
        }
    }
    out += '\n';
}

// --- reading -----------------------------------------------------------------

// A cursor over one line of a hive file.
class CLineReader {
public:
    explicit CLineReader(std::string_view line) : m_line(line) {}

    bool AtEnd() const { return m_pos >= m_line.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_line[m_pos]; }
    bool Take(char c) {
        if (Peek() != c || AtEnd()) return false;
        ++m_pos;
        return true;
    }
    void SkipBlanks() {
        while (!AtEnd() && (m_line[m_pos] == ' ' || m_line[m_pos] == '\t')) ++m_pos;
    }

    // A quoted string with the escapes AppendQuoted writes.
    bool ReadQuoted(WString* text) {
        if (!Take('"')) return false;
        text->clear();
        while (!AtEnd()) {
            char c = m_line[m_pos++];
            if (c == '"') return true;
            if (c != '\\') {
                --m_pos;
                if (!ReadUtf8(text)) return false;
                continue;
            }
            if (AtEnd()) return false;
            char escape = m_line[m_pos++];
            switch (escape) {
                case '"':
                case '\\':
                    *text += static_cast<WCHAR>(escape);
                    break;
                case '0':
                    *text += WCHAR{0};
                    break;
                case 'n':
                    *text += u'\n';
                    break;
                case 'r':
                    *text += u'\r';
                    break;
                case 't':
                    *text += u'\t';
                    break;
                case 'u': {
                    DWORD unit = 0;
                    if (!ReadHex(4, 4, &unit)) return false;
                    *text += static_cast<WCHAR>(unit);
                    break;
                }
                default:
                    return false;
            }
        }
        return false;  // no closing quote
    }

    // From minDigits to maxDigits hexadecimal digits.
    bool ReadHex(int minDigits, int maxDigits, DWORD* value) {
        *value = 0;
        int digits = 0;
        while (digits < maxDigits && !AtEnd()) {
            int nibble = Nibble(m_line[m_pos]);
            if (nibble < 0) break;
            *value = (*value << 4) | static_cast<DWORD>(nibble);
            ++m_pos;
            ++digits;
        }
        return digits >= minDigits;
    }

    // A lower-case type name ([a-z_]+).
    std::string_view ReadWord() {
        std::size_t start = m_pos;
        while (!AtEnd() && ((m_line[m_pos] >= 'a' && m_line[m_pos] <= 'z') || m_line[m_pos] == '_'))
            ++m_pos;
        return m_line.substr(start, m_pos - start);
    }

    // One UTF-8 encoded character; well-formed sequences only.
    bool ReadUtf8(WString* text) {
        auto byte = [&](std::size_t i) { return static_cast<unsigned char>(m_line[i]); };
        unsigned char lead = byte(m_pos);
        std::size_t extra;
        char32_t cp;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead < 0x80) {
            extra = 0;
            cp = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            cp = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            cp = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (m_pos + extra >= m_line.size() && extra != 0) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            unsigned char next = byte(m_pos + k);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        m_pos += extra + 1;
        if (cp >= 0x10000) {
            *text += static_cast<WCHAR>(0xD800 + ((cp - 0x10000) >> 10));
            *text += static_cast<WCHAR>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            *text += static_cast<WCHAR>(cp);
        }
        return true;
    }

private:
    static int Nibble(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    std::string_view m_line;
    std::size_t m_pos = 0;
};

// The data of a value line after "=": type:data.
bool ReadValueData(CLineReader& reader, DWORD* type, std::vector<BYTE>* data) {
    std::string_view word = reader.ReadWord();
    if (word == "hex") {
        if (!reader.Take('(') || !reader.ReadHex(1, 8, type) || !reader.Take(')') ||
            !reader.Take(':'))
            return false;
        data->clear();
        while (!reader.AtEnd()) {
            if (!data->empty() && !reader.Take(',')) return false;
            DWORD byte = 0;
            if (!reader.ReadHex(2, 2, &byte)) return false;
            data->push_back(static_cast<BYTE>(byte));
        }
        return true;
    }
    const TypeName* known = nullptr;
    for (const auto& entry : kTypeNames)
        if (entry.name == word) known = &entry;
    if (known == nullptr || !reader.Take(':')) return false;
    *type = known->type;
    if (IsDwordType(*type)) {
        DWORD number = 0;
        if (!reader.ReadHex(1, 8, &number)) return false;
        data->resize(sizeof number);
        std::memcpy(data->data(), &number, sizeof number);
    } else {
        WString text;
        if (!reader.ReadQuoted(&text)) return false;
        text += WCHAR{0};
        data->resize(text.size() * sizeof(WCHAR));
        std::memcpy(data->data(), text.data(), data->size());
    }
    return reader.AtEnd();
}

std::string_view TrimLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    return line;
}

}  // namespace

// --- names and paths ---------------------------------------------------------

WString TqlFoldRegistryName(WStringView name) {
    WString folded(name);
    for (WCHAR& c : folded) c = FoldChar(c);
    return folded;
}

DWORD TqlNormalizeRegistryPath(WStringView path, WString* normalized) {
    WString result;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == WStringView::npos) end = path.size();
        WStringView component = path.substr(start, end - start);
        start = end + 1;
        if (component.empty()) continue;
        if (component.size() > kTqlMaxRegistryKeyNameChars) return ERROR_INVALID_PARAMETER;
        for (std::size_t i = 0; i < component.size(); ++i) {
            WCHAR c = component[i];
            if (c < 0x20 || c == 0x7F) return ERROR_INVALID_PARAMETER;
            if (IsHighSurrogate(c) && i + 1 < component.size() &&
                IsLowSurrogate(component[i + 1])) {
                ++i;
            } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
                return ERROR_INVALID_PARAMETER;
            }
        }
        if (!result.empty()) result += u'\\';
        result += component;
    }
    *normalized = std::move(result);
    return 0;
}

// --- keys and values ---------------------------------------------------------

const TqlRegistryValue* TqlRegistryKey::FindValue(WStringView name) const {
    for (const auto& value : values)
        if (SameName(value.name, name)) return &value;
    return nullptr;
}

void TqlRegistryKey::SetValue(WStringView name, DWORD type, std::vector<BYTE> data) {
    for (auto& value : values) {
        if (SameName(value.name, name)) {
            value.type = type;
            value.data = std::move(data);
            return;
        }
    }
    values.push_back(TqlRegistryValue{WString(name), type, std::move(data)});
}

bool TqlRegistryKey::DeleteValue(WStringView name) {
    auto found = std::find_if(values.begin(), values.end(), [&](const TqlRegistryValue& value) {
        return SameName(value.name, name);
    });
    if (found == values.end()) return false;
    values.erase(found);
    return true;
}

CTqlRegistryHive::CTqlRegistryHive() { m_keys.emplace(WString(), TqlRegistryKey{}); }

const TqlRegistryKey* CTqlRegistryHive::FindKey(WStringView path) const {
    auto found = m_keys.find(TqlFoldRegistryName(path));
    return found == m_keys.end() ? nullptr : &found->second;
}

TqlRegistryKey* CTqlRegistryHive::FindKey(WStringView path) {
    auto found = m_keys.find(TqlFoldRegistryName(path));
    return found == m_keys.end() ? nullptr : &found->second;
}

TqlRegistryKey& CTqlRegistryHive::CreateKey(WStringView path) {
    TqlRegistryKey* key = &m_keys.begin()->second;  // the root sorts first
    std::size_t end = 0;
    while (end < path.size()) {
        end = path.find(u'\\', end + 1);
        if (end == WStringView::npos) end = path.size();
        WStringView prefix = path.substr(0, end);
        auto [position, inserted] = m_keys.try_emplace(TqlFoldRegistryName(prefix));
        if (inserted) position->second.path = WString(prefix);
        key = &position->second;
    }
    return *key;
}

bool CTqlRegistryHive::DeleteKey(WStringView path) {
    WString folded = TqlFoldRegistryName(path);
    if (folded.empty()) return false;
    auto found = m_keys.find(folded);
    if (found == m_keys.end()) return false;
    m_keys.erase(found);
    // Every key below sorts as one run after "<path>\".
    folded += u'\\';
    auto below = m_keys.lower_bound(folded);
    while (below != m_keys.end() && below->first.compare(0, folded.size(), folded) == 0)
        below = m_keys.erase(below);
    return true;
}

std::string CTqlRegistryHive::Serialize() const {
    std::string out = kFileHeader;
    for (const auto& [folded, key] : m_keys) {
        if (folded.empty() && key.values.empty()) continue;
        out += '\n';
        out += '[';
        out += ToUtf8(key.path);
        out += "]\n";
        for (const auto& value : key.values) AppendValue(out, value);
    }
    return out;
}

DWORD CTqlRegistryHive::Parse(std::string_view text) {
    if (text.size() > kTqlMaxHiveFileBytes) return kTqlErrorRegistryCorrupt;
    CTqlRegistryHive parsed;
    TqlRegistryKey* current = &parsed.m_keys.begin()->second;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = TrimLine(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;
        CLineReader reader(line);
        if (line.front() == '[') {
            if (line.back() != ']') return kTqlErrorRegistryCorrupt;
            WString path;
            CLineReader pathReader(line.substr(1, line.size() - 2));
            while (!pathReader.AtEnd())
                if (!pathReader.ReadUtf8(&path)) return kTqlErrorRegistryCorrupt;
            WString normalized;
            if (TqlNormalizeRegistryPath(path, &normalized) != 0) return kTqlErrorRegistryCorrupt;
            current = &parsed.CreateKey(normalized);
            continue;
        }
        WString name;
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
        if (!reader.ReadQuoted(&name)) return kTqlErrorRegistryCorrupt;
        reader.SkipBlanks();
        if (!reader.Take('=')) return kTqlErrorRegistryCorrupt;
        reader.SkipBlanks();
        if (name.size() > kTqlMaxRegistryValueNameChars || !ReadValueData(reader, &type, &data))
            return kTqlErrorRegistryCorrupt;
        current->SetValue(name, type, std::move(data));
    }
    m_keys = std::move(parsed.m_keys);
    return 0;
}

}  // namespace ql
