#include "standard/nv_winapi.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "authoring/core/pakomo.h"
#include "platform/Files.h"
#include "platform/Machine.h"
#include "runtime/core/RuntimeError.h"
#include "runtime/services/Text.h"
#include "runtime/ui/Services.h"
#include "runtime/ui/VisualObject.h"

namespace pakomo {
namespace {

// Writes a folder the way the Windows calls do: into the caller's string when it fits (the
// answer is its length), else the answer is the room it needs and the string stays.
uint32_t write_folder(const std::string& folder, std::string& path, uint32_t room) {
    if (folder.size() + 1 > room) return static_cast<uint32_t>(folder.size() + 1);
    path = folder;
    return static_cast<uint32_t>(folder.size());
}

}  // namespace

nv_winapi::nv_winapi() : runtime::Object("nv_winapi") {}

nv_winapi& nv_winapi::instance() {
    auto* api = dynamic_cast<nv_winapi*>(app().gnv_win32api.get());
    if (!api) throw runtime::RuntimeError("Null object reference: gnv_win32api");
    return *api;
}

uint16_t nv_winapi::getwindowsdirectorya(std::string& path, uint16_t length) {
    auto machine = platform::Machine::open();
    return machine ? static_cast<uint16_t>(write_folder(machine->windowsFolder(), path, length)) : 0;
}

uint16_t nv_winapi::getsystemdirectorya(std::string& path, uint16_t length) {
    auto machine = platform::Machine::open();
    return machine ? static_cast<uint16_t>(write_folder(machine->systemFolder(), path, length)) : 0;
}

bool nv_winapi::movefilea(std::string& oldfile, std::string& newfile) {
    auto machine = platform::Machine::open();
    return machine && platform::Files(*machine).move(oldfile, newfile).ok();
}

uint32_t nv_winapi::getcurrentdirectorya(uint32_t buf_size, std::string& path) {
    auto machine = platform::Machine::open();
    std::error_code ec;
    std::filesystem::path current = std::filesystem::current_path(ec);
    if (!machine || ec) return 0;
    return write_folder(machine->windowsPath(current), path, buf_size);
}

bool nv_winapi::setcurrentdirectorya(std::string& path) {
    auto machine = platform::Machine::open();
    if (!machine) return false;
    auto host = machine->hostPath(runtime::trim(path));
    if (!host) return false;
    std::error_code ec;
    std::filesystem::current_path(*host, ec);
    return !ec;
}

uint32_t nv_winapi::setcapture(long handle) {
    runtime::VisualObject* previous = runtime::captured();
    if (runtime::VisualObject* object = runtime::findByHandle(handle)) runtime::setCapture(*object);
    return previous ? static_cast<uint32_t>(previous->handle()) : 0;
}

void nv_winapi::releasecapture() { runtime::releaseCapture(); }

uint16_t nv_winapi::getopenfilenamemulti(long owner, const std::string& title, std::string& path,
                                         std::vector<std::string>& files, uint16_t maxfiles,
                                         const std::string& defext, const std::string& filter,
                                         const std::string& initial_path) {
    return GetOpenFileNameMulti(owner, title, path, files, maxfiles, defext, filter, initial_path);
}

bool nv_winapi::getfileinformationbyname(std::string& lpstrfile, str_systemtime& writetime, uint32_t& size) {
    return GetFileInformationByName(lpstrfile, writetime, size);
}

uint16_t nv_winapi::ex_and(uint16_t num1, uint16_t num2) { return Ex_And(num1, num2); }
uint16_t nv_winapi::ex_or(uint16_t num1, uint16_t num2) { return Ex_Or(num1, num2); }
uint16_t nv_winapi::ex_xor(uint16_t num1, uint16_t num2) { return Ex_Xor(num1, num2); }

void nv_winapi::splitlong(int32_t num, int16_t& b0, int16_t& b1, int16_t& b2, int16_t& b3) {
    SplitLong(num, b0, b1, b2, b3);
}

bool nv_winapi::getwindowsize(long handle, str_size& size) { return GetWindowSize(handle, size); }
uint32_t nv_winapi::percentage(uint32_t num, uint32_t total) { return Percentage(num, total); }
uint32_t nv_winapi::getpercentagefromnumber(uint32_t perc, uint32_t num) { return GetPercentageFromNumber(perc, num); }

void nv_winapi::movecontrol(long handle, int16_t parent_width, int16_t parent_height, int16_t org_x, int16_t org_y,
                            uint32_t flags, int16_t b_m, int16_t t_m, int16_t l_m, int16_t r_m, int16_t w_m,
                            int16_t h_m) {
    MoveControl(handle, parent_width, parent_height, org_x, org_y, flags, b_m, t_m, l_m, r_m, w_m, h_m);
}

int16_t nv_winapi::enumeratefonts(long handle) { return EnumerateFonts(handle); }
void nv_winapi::freefonts() { FreeFonts(); }
void nv_winapi::getfont(uint16_t num, std::string& facename, bool& truetype) { GetFont(num, facename, truetype); }

bool nv_winapi::gettextdimensions(std::string& text, std::string& facename, uint16_t pointsize, bool bold,
                                  bool italic, bool underline, str_size& dimensions) {
    return GetTextDimensions(text, facename, pointsize, bold, italic, underline, dimensions);
}

void nv_winapi::browseforfolder(long parenthandle, std::string& title, std::string& selectedfolder) {
    BrowseForFolder(parenthandle, title, selectedfolder);
}

bool nv_winapi::deletefolder(std::string& path, long dialoghandle) { return DeleteFolder(path, dialoghandle); }
bool nv_winapi::createfolder(std::string& path) { return CreateFolder(path); }

int16_t nv_winapi::fnv_getfileopenname(const std::string& title, std::string& pathname, std::string& filename,
                                       const std::string& extension, const std::string& filter) {
    std::string current(260, ' ');
    getcurrentdirectorya(256, current);
    runtime::FileOpenRequest request;
    request.title = title;
    request.folder = pathname;
    request.extension = extension;
    request.filter = filter;
    runtime::FileOpenAnswer answer = runtime::getFileOpenName(request);
    if (answer.result == 1 && !answer.files.empty()) {
        filename = answer.files.front();
        std::string folder = answer.folder;
        if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
        pathname = folder + filename;
    }
    setcurrentdirectorya(current);
    return static_cast<int16_t>(answer.result);
}

str_fileinfo nv_winapi::fnv_get_fileinfo(std::string& as_file) {
    str_fileinfo info;
    info.s_writetime = "<Unknown>";
    str_systemtime t;
    uint32_t size = 0;
    if (getfileinformationbyname(as_file, t, size)) {
        runtime::DateTime when;
        when.year = t.wyear;
        when.month = t.wmonth;
        when.day = t.wday;
        when.hour = t.whour;
        when.minute = t.wminute;
        when.second = t.wsecond;
        info.s_writetime = runtime::formatDate(when, "dd-mm-yyyy") + " " + runtime::formatTime(when, "hh:mm:ss");
        char key[32];
        std::snprintf(key, sizeof key, "%04u%02u%02u%02u%02u%02u", unsigned{t.wyear}, unsigned{t.wmonth},
                      unsigned{t.wday}, unsigned{t.whour}, unsigned{t.wminute}, unsigned{t.wsecond});
        info.s_sort_writetime = key;
        info.l_size = size;
    }
    return info;
}

}  // namespace pakomo
