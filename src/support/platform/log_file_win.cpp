#include "support/platform/log_file.h"

#include "support/base/com_types.h"
#include "support/platform/security_attributes.h"

// After the system headers that com_types.h brings in.
#include <winioctl.h>

namespace ql {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

HANDLE CTqlLogFile::Handle() const noexcept { return reinterpret_cast<HANDLE>(m_file); }

DWORD CTqlLogFile::Open(const WString& path) noexcept {
    Close();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll,
                              TqlGetEveryoneSecurityAttributes(), OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    m_file = reinterpret_cast<std::intptr_t>(file);
    m_open = true;
    return 0;
}

void CTqlLogFile::Close() noexcept {
    if (m_open) CloseHandle(Handle());
    m_open = false;
}

DWORD CTqlLogFile::Size(ULONGLONG& size) noexcept {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(Handle(), &value)) return GetLastError();
    size = static_cast<ULONGLONG>(value.QuadPart);
    return 0;
}

DWORD CTqlLogFile::Truncate(ULONGLONG size) noexcept {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(Handle(), position, nullptr, FILE_BEGIN) || !SetEndOfFile(Handle()))
        return GetLastError();
    return 0;
}

DWORD CTqlLogFile::Append(const void* data, DWORD bytes) noexcept {
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(Handle(), zero, nullptr, FILE_END)) return GetLastError();
    DWORD written = 0;
    if (!WriteFile(Handle(), data, bytes, &written, nullptr)) return GetLastError();
    return written == bytes ? 0 : ERROR_WRITE_FAULT;
}

DWORD CTqlLogFile::DropHeadThrough(ULONGLONG offset) noexcept {
    ULONGLONG size = 0;
    if (DWORD error = Size(size)) return error;
    if (size == 0) return 0;
    HANDLE mapping = CreateFileMappingW(Handle(), nullptr, PAGE_READWRITE, 0, 0, nullptr);
    if (mapping == nullptr) return GetLastError();
    void* view = MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0);
    if (view == nullptr) {
        DWORD error = GetLastError();
        CloseHandle(mapping);
        return error;
    }
    auto* bytes = static_cast<char*>(view);
    ULONGLONG keepFrom = size;
    for (ULONGLONG i = offset; i < size; ++i) {
        if (bytes[i] == '\n') {
            keepFrom = i + 1;
            break;
        }
    }
    ULONGLONG kept = size - keepFrom;
    if (kept > 0) MoveMemory(bytes, bytes + keepFrom, static_cast<SIZE_T>(kept));
    FlushViewOfFile(view, 0);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return Truncate(kept);
}

bool TqlFileExists(const WString& path) noexcept {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD TqlRemoveFile(const WString& path) noexcept {
    return DeleteFileW(path.c_str()) ? 0 : GetLastError();
}

DWORD TqlRenameFile(const WString& from, const WString& to) noexcept {
    return MoveFileW(from.c_str(), to.c_str()) ? 0 : GetLastError();
}

void TqlCompressFile(const WString& path) noexcept {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_COMPRESSED) != 0)
        return;
    // The attributes are cleared while the file is open for the change.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        USHORT format = COMPRESSION_FORMAT_DEFAULT;
        DWORD returned = 0;
        DeviceIoControl(file, FSCTL_SET_COMPRESSION, &format, sizeof format, nullptr, 0, &returned,
                        nullptr);
        CloseHandle(file);
    }
    SetFileAttributesW(path.c_str(), attributes);
}

}  // namespace ql
