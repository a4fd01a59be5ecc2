#pragma once
// The wrapper of the program's direct calls into the system and into the support library, with
// an open-file dialog that leaves the current folder as it was and a file's size and write time
// for the file lists. One instance: gnv_win32api of the application object.
#include <cstdint>
#include <string>
#include <vector>

#include "libraries/support/support.h"
#include "runtime/core/Object.h"

namespace pakomo {

struct str_fileinfo {
    std::string s_writetime;       // display text, or "<Unknown>"
    uint32_t l_size = 0;
    std::string s_sort_writetime;  // yyyymmddhhmmss, or empty
};

class nv_winapi : public runtime::Object {
public:
    nv_winapi();

    // The application's gnv_win32api; a runtime error when there is none.
    static nv_winapi& instance();

    // KERNEL32.
    uint16_t getwindowsdirectorya(std::string& path, uint16_t length);
    uint16_t getsystemdirectorya(std::string& path, uint16_t length);
    bool movefilea(std::string& oldfile, std::string& newfile);
    uint32_t getcurrentdirectorya(uint32_t buf_size, std::string& path);
    bool setcurrentdirectorya(std::string& path);
    // USER32.
    uint32_t setcapture(long handle);
    void releasecapture();
    // The support library.
    uint16_t getopenfilenamemulti(long owner, const std::string& title, std::string& path,
                                  std::vector<std::string>& files, uint16_t maxfiles, const std::string& defext,
                                  const std::string& filter, const std::string& initial_path);
    bool getfileinformationbyname(std::string& lpstrfile, str_systemtime& writetime, uint32_t& size);
    uint16_t ex_and(uint16_t num1, uint16_t num2);
    uint16_t ex_or(uint16_t num1, uint16_t num2);
    uint16_t ex_xor(uint16_t num1, uint16_t num2);
    void splitlong(int32_t num, int16_t& b0, int16_t& b1, int16_t& b2, int16_t& b3);
    bool getwindowsize(long handle, str_size& size);
    uint32_t percentage(uint32_t num, uint32_t total);
    uint32_t getpercentagefromnumber(uint32_t perc, uint32_t num);
    void movecontrol(long handle, int16_t parent_width, int16_t parent_height, int16_t org_x, int16_t org_y,
                     uint32_t flags, int16_t b_m, int16_t t_m, int16_t l_m, int16_t r_m, int16_t w_m, int16_t h_m);
    int16_t enumeratefonts(long handle);
    void freefonts();
    void getfont(uint16_t num, std::string& facename, bool& truetype);
    bool gettextdimensions(std::string& text, std::string& facename, uint16_t pointsize, bool bold, bool italic,
                           bool underline, str_size& dimensions);
    void browseforfolder(long parenthandle, std::string& title, std::string& selectedfolder);
    bool deletefolder(std::string& path, long dialoghandle);
    bool createfolder(std::string& path);

    // The single-file open dialog; the current folder is the same after it as before.
    int16_t fnv_getfileopenname(const std::string& title, std::string& pathname, std::string& filename,
                                const std::string& extension, const std::string& filter);
    str_fileinfo fnv_get_fileinfo(std::string& as_file);
};

}  // namespace pakomo
