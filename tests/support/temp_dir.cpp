#include "temp_dir.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

namespace ql::test {

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
        std::ostringstream name;
        name << "quillon-test-" << std::hex << random() << '-' << counter++;
        m_path = base / name.str();
        if (std::filesystem::create_directory(m_path)) break;
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

WString TempDir::Wide(const std::string& name) const { return WidePath(m_path / name); }

WString WidePath(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return FromUtf8(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::string content = ReadAll(path);
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace ql::test
