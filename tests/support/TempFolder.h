#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// A folder below the process's test folder, removed with its content when it goes out of scope.
class TempFolder {
public:
    explicit TempFolder(std::string_view hint = "tmp");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Small fixture helpers.
void writeFile(const std::filesystem::path& path, std::string_view bytes);
std::string readFile(const std::filesystem::path& path);
std::vector<uint8_t> readBytes(const std::filesystem::path& path);

}  // namespace testing_support
