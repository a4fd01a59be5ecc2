// The support library's file, folder, dialog and number entries.
#include "libraries/support/support.h"

#include "platform/Files.h"
#include "platform/Machine.h"
#include "runtime/ui/Services.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <system_error>

namespace pakomo {
namespace {

std::optional<std::filesystem::path> hostPathOf(std::string_view path) {
    auto machine = platform::Machine::open();
    if (!machine) return std::nullopt;
    auto host = machine->hostPath(path);
    if (!host) return std::nullopt;
    return *host;
}

// The programs store Windows paths: a host folder that a dialog answered becomes one (Z:\...).
std::string windowsFolder(const std::string& folder) {
    if (folder.empty() || folder.front() != '/') return folder;
    auto machine = platform::Machine::open();
    return machine ? machine->windowsPath(folder) : folder;
}

// "C:", "C:\", "\" and "" name no folder that may be deleted.
bool isDriveRoot(std::string_view path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
    return path.empty() || (path.size() == 2 && path[1] == ':');
}

}  // namespace

bool GetFileInformationByName(std::string& lpstrfile, str_systemtime& writetime, uint32_t& size) {
    auto machine = platform::Machine::open();
    if (!machine) return false;
    platform::Files files(*machine);
    if (files.isFolder(lpstrfile)) return false;
    auto times = files.times(lpstrfile);
    auto length = files.length(lpstrfile);
    if (!times || !length) return false;
    // FILETIME counts 100 ns from 1601; the host's clock counts seconds from 1970.
    constexpr int64_t kEpochDifference = 116444736000000000LL;
    int64_t ticks = static_cast<int64_t>(times->lastWrite.ticks) - kEpochDifference;
    std::time_t seconds = static_cast<std::time_t>(ticks / 10000000);
    std::tm local{};
    if (!localtime_r(&seconds, &local)) return false;
    writetime.wyear = static_cast<uint16_t>(local.tm_year + 1900);
    writetime.wmonth = static_cast<uint16_t>(local.tm_mon + 1);
    writetime.wdayofweek = static_cast<uint16_t>(local.tm_wday);
    writetime.wday = static_cast<uint16_t>(local.tm_mday);
    writetime.whour = static_cast<uint16_t>(local.tm_hour);
    writetime.wminute = static_cast<uint16_t>(local.tm_min);
    writetime.wsecond = static_cast<uint16_t>(local.tm_sec);
    writetime.wmilliseconds = static_cast<uint16_t>((ticks % 10000000) / 10000);
    size = static_cast<uint32_t>(std::min<uint64_t>(*length, UINT32_MAX));
    return true;
}

uint16_t GetOpenFileNameMulti(long, const std::string& title, std::string& path, std::vector<std::string>& files,
                              uint16_t maxfiles, const std::string& defext, const std::string& filter,
                              const std::string& initial_path) {
    runtime::FileOpenRequest request;
    request.title = title;
    request.folder = initial_path;
    request.extension = defext;
    request.filter = filter;
    request.multiple = true;
    runtime::FileOpenAnswer answer = runtime::getFileOpenName(request);
    if (answer.result != 1 || answer.files.empty()) return 0;
    size_t count = std::min<size_t>(answer.files.size(), maxfiles);
    if (files.size() < count) files.resize(count);
    for (size_t i = 0; i < count; ++i) files[i] = answer.files[i];
    path = windowsFolder(answer.folder);
    return static_cast<uint16_t>(count);
}

void BrowseForFolder(long, std::string& title, std::string& selectedfolder) {
    runtime::FileOpenRequest request;
    request.title = title;
    request.folderOnly = true;
    runtime::FileOpenAnswer answer = runtime::getFileOpenName(request);
    selectedfolder.clear();
    if (answer.result == 1) selectedfolder = windowsFolder(answer.folder);
}

bool DeleteFolder(std::string& path, long) {
    if (isDriveRoot(path)) return false;
    auto host = hostPathOf(path);
    std::error_code ec;
    if (!host || !std::filesystem::is_directory(*host, ec)) return false;
    std::filesystem::remove_all(*host, ec);
    return !ec;
}

bool CreateFolder(std::string& path) {
    auto host = hostPathOf(path);
    if (!host) return false;
    std::error_code ec;
    std::filesystem::create_directories(*host, ec);
    return !ec && std::filesystem::is_directory(*host, ec);
}

uint16_t Ex_And(uint16_t num1, uint16_t num2) { return num1 & num2; }
uint16_t Ex_Or(uint16_t num1, uint16_t num2) { return num1 | num2; }
uint16_t Ex_Xor(uint16_t num1, uint16_t num2) { return num1 ^ num2; }

void SplitLong(int32_t num, int16_t& b0, int16_t& b1, int16_t& b2, int16_t& b3) {
    auto u = static_cast<uint32_t>(num);
    b0 = static_cast<int16_t>(u & 0xFF);
    b1 = static_cast<int16_t>((u >> 8) & 0xFF);
    b2 = static_cast<int16_t>((u >> 16) & 0xFF);
    b3 = static_cast<int16_t>((u >> 24) & 0xFF);
}

uint32_t Percentage(uint32_t num, uint32_t total) {
    if (total == 0) return 0;
    return static_cast<uint32_t>(uint64_t{num} * 100 / total);
}

uint32_t GetPercentageFromNumber(uint32_t perc, uint32_t num) {
    return static_cast<uint32_t>(std::min<uint64_t>(uint64_t{perc} * num / 100, UINT32_MAX));
}

}  // namespace pakomo
