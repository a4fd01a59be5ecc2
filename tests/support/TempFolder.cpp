#include "support/TempFolder.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "support/TestEnvironment.h"

namespace fs = std::filesystem;

namespace testing_support {

TempFolder::TempFolder(std::string_view hint) {
    static std::atomic<int> counter{0};
    fs::path base = processFolder().empty() ? fs::temp_directory_path() : processFolder();
    path_ = base / (std::string(hint) + "-" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void writeFile(const fs::path& path, std::string_view bytes) {
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> readBytes(const fs::path& path) {
    std::string s = readFile(path);
    return {s.begin(), s.end()};
}

}  // namespace testing_support
