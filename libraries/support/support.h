#pragma once
// The support library: what the authoring program and the outside libraries call as external
// functions of their support DLL. Lengths and positions are pixels, handles those of the runtime's
// windows and controls; a string passed by reference is written by the entry.
#include <cstdint>
#include <string>
#include <vector>

namespace pakomo {

// The Windows SYSTEMTIME layout (16 bytes, little-endian), as it crosses into the outside libraries.
struct str_systemtime {
    uint16_t wyear = 0;
    uint16_t wmonth = 0;
    uint16_t wdayofweek = 0;
    uint16_t wday = 0;
    uint16_t whour = 0;
    uint16_t wminute = 0;
    uint16_t wsecond = 0;
    uint16_t wmilliseconds = 0;
};
static_assert(sizeof(str_systemtime) == 16);

// The Windows SIZE layout (8 bytes).
struct str_size {
    int32_t cx = 0;
    int32_t cy = 0;
};
static_assert(sizeof(str_size) == 8);

// Layout flags of MoveControl.
inline constexpr uint32_t move_hcenter = 1;
inline constexpr uint32_t move_vcenter = 2;
inline constexpr uint32_t move_hresize = 4;
inline constexpr uint32_t move_vresize = 8;

// Places the control `handle` in its owner after the owner was resized to parent_width x
// parent_height; org_x, org_y is where the control stood before. The rule is in MoveControl.cpp.
void MoveControl(long handle, int16_t parent_width, int16_t parent_height, int16_t org_x, int16_t org_y,
                 uint32_t flags, int16_t b_m, int16_t t_m, int16_t l_m, int16_t r_m, int16_t w_m, int16_t h_m);
// The size of a window or control; false for a handle that names none.
bool GetWindowSize(long handle, str_size& size);

// The last write time (local time) and length of a file (Windows or host path); false when it
// cannot be examined.
bool GetFileInformationByName(std::string& lpstrfile, str_systemtime& writetime, uint32_t& size);
// An open-file dialog choosing several files of one folder: answers how many were chosen (0
// when cancelled), at most `maxfiles`; `path` gets their folder, files[0..n-1] their names.
uint16_t GetOpenFileNameMulti(long owner, const std::string& title, std::string& path, std::vector<std::string>& files,
                              uint16_t maxfiles, const std::string& defext, const std::string& filter,
                              const std::string& initial_path);
// A folder picker: `selectedfolder` gets the chosen folder, or the empty text when cancelled.
void BrowseForFolder(long parenthandle, std::string& title, std::string& selectedfolder);
// Removes a folder with everything in it; creates a folder with every missing level.
bool DeleteFolder(std::string& path, long dialoghandle);
bool CreateFolder(std::string& path);

// Bit and number helpers.
uint16_t Ex_And(uint16_t num1, uint16_t num2);
uint16_t Ex_Or(uint16_t num1, uint16_t num2);
uint16_t Ex_Xor(uint16_t num1, uint16_t num2);
// The four bytes of a long, lowest first.
void SplitLong(int32_t num, int16_t& b0, int16_t& b1, int16_t& b2, int16_t& b3);
// num as a whole percentage of total (0 when total is 0), and perc percent of num.
uint32_t Percentage(uint32_t num, uint32_t total);
uint32_t GetPercentageFromNumber(uint32_t perc, uint32_t num);

// Fonts: EnumerateFonts collects the font families available and answers their number; GetFont
// reads one (0-based) until FreeFonts releases the list.
int16_t EnumerateFonts(long handle);
void GetFont(uint16_t num, std::string& facename, bool& truetype);
void FreeFonts();
// The size in pixels that `text` takes in a font; false for an empty face name.
bool GetTextDimensions(std::string& text, std::string& facename, uint16_t pointsize, bool bold, bool italic,
                       bool underline, str_size& dimensions);

}  // namespace pakomo
