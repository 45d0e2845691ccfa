#include "temp_dir.h"

namespace ql::test {

OpenedFile::OpenedFile(const std::filesystem::path& path, bool writable) {
    HANDLE file = CreateFileW(
        path.wstring().c_str(), writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) m_handle = file;
}

OpenedFile::~OpenedFile() {
    if (m_handle != nullptr) CloseHandle(m_handle);
}

}  // namespace ql::test
