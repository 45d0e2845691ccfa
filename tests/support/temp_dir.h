// What one test sets up on the machine and takes down again: a fresh
// temporary directory, removed with everything in it; files opened in it;
// environment variables.
#pragma once

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/base/com_types.h"
#include "support/base/wide_string.h"

namespace ql::test {

inline WString WidePath(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return FromUtf8(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
}

class TempDir {
public:
    TempDir() {
        static std::atomic<unsigned> counter{0};
        std::random_device random;
        do {
            std::ostringstream name;
            name << "quillon-test-" << std::hex << random() << '-' << counter++;
            m_path = std::filesystem::temp_directory_path() / name.str();
        } while (!std::filesystem::create_directory(m_path));
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // A path inside the directory, as the library's wide text.
    WString Wide(const std::string& name) const { return WidePath(m_path / name); }

private:
    std::filesystem::path m_path;
};

// A file opened as the shared memory takes it (on POSIX a descriptor carried
// in a HANDLE), closed with the object; Handle() is null when it could not
// be opened.
class OpenedFile {
public:
    OpenedFile(const std::filesystem::path& path, bool writable);
    ~OpenedFile();
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

    HANDLE Handle() const { return m_handle; }

private:
    HANDLE m_handle = nullptr;
};

// Sets or, with null, removes a variable of this process's environment.
void SetEnvironment(const char* name, const char* value);

// Sets (or removes) a variable for the life of the object, then restores
// what was there.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        SetEnvironment(name, value);
    }
    ~ScopedEnvironment() { SetEnvironment(m_name.c_str(), m_old ? m_old->c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}
// The file's lines without their CR LF ends; empty when it does not exist.
inline std::vector<std::string> ReadLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::istringstream content(ReadAll(path));
    for (std::string line; std::getline(content, line); lines.push_back(line))
        if (!line.empty() && line.back() == '\r') line.pop_back();
    return lines;
}
inline void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace ql::test
