#include "temp_dir.h"

#include <cstdlib>

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

// An empty value removes the variable.
void SetEnvironment(const char* name, const char* value) {
    _putenv_s(name, value != nullptr ? value : "");
}

}  // namespace ql::test
