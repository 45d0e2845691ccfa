#include "temp_dir.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace ql::test {

OpenedFile::OpenedFile(const std::filesystem::path& path, bool writable) {
    int descriptor = ::open(path.c_str(), writable ? O_RDWR : O_RDONLY);
    if (descriptor >= 0)
        m_handle = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(descriptor));
}

OpenedFile::~OpenedFile() {
    if (m_handle != nullptr) ::close(static_cast<int>(reinterpret_cast<std::intptr_t>(m_handle)));
}

void SetEnvironment(const char* name, const char* value) {
    if (value != nullptr)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

}  // namespace ql::test
