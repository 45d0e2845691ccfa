// The file operations of the debug log: one open file per written line,
// appended at its end, cut or trimmed at its head, and rotated by name.
// Results are 0 or a system error code.
#pragma once

#include <cstdint>

#include "support/base/wide_string.h"

namespace ql {

class CTqlLogFile {
public:
    CTqlLogFile() noexcept = default;
    ~CTqlLogFile() { Close(); }
    CTqlLogFile(const CTqlLogFile&) = delete;
    CTqlLogFile& operator=(const CTqlLogFile&) = delete;

    // Opens for reading and writing, creating the file when it does not
    // exist; other writers may share it; writes go straight to the disk.
    DWORD Open(const WString& path) noexcept;
    void Close() noexcept;

    DWORD Size(ULONGLONG& size) noexcept;
    // Sets the end of the file.
    DWORD Truncate(ULONGLONG size) noexcept;
    // Appends at the current end of the file.
    DWORD Append(const void* data, DWORD bytes) noexcept;
    // Moves everything after the first line feed at or after offset to the
    // start of the file and cuts the file there (empties it when no line
    // feed follows). A file that cannot be mapped is left as it is.
    DWORD DropHeadThrough(ULONGLONG offset) noexcept;

private:
    void* Handle() const noexcept;

    // The platform's file handle or descriptor, while open.
    std::intptr_t m_file = 0;
    bool m_open = false;
};

bool TqlFileExists(const WString& path) noexcept;
DWORD TqlRemoveFile(const WString& path) noexcept;
DWORD TqlRenameFile(const WString& from, const WString& to) noexcept;
// Switches on the file system's compression for the file where it offers
// it; a file that is compressed already, or cannot be, is left alone.
void TqlCompressFile(const WString& path) noexcept;

}  // namespace ql
