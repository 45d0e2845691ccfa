// What one test sets up on the machine and takes down again: a fresh
// temporary directory, removed with everything in it; files opened in it;
// environment variables.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/base/com_types.h"
#include "support/base/wide_string.h"

namespace ql::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // A path inside the directory, as the library's wide text.
    WString Wide(const std::string& name) const;

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

WString WidePath(const std::filesystem::path& path);
// The file's lines without their CR LF ends; empty when it does not exist.
std::vector<std::string> ReadLines(const std::filesystem::path& path);
std::string ReadAll(const std::filesystem::path& path);
void WriteAll(const std::filesystem::path& path, const std::string& bytes);

}  // namespace ql::test
