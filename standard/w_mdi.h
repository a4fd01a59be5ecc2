#pragma once
// The ancestor of the main frame: makes itself the program's g_w_frame, titles itself with the
// application's name, and counts the sheets opened through it, hiding its toolbar while any is
// open.
#include <cstdint>
#include <string>

#include "standard/w_a.h"

namespace pakomo {

class w_mdi : public w_a_of<runtime::FrameWindow> {
public:
    // A descendant that names another menu creates that menu itself.
    explicit w_mdi(std::string className = "w_mdi", std::string menuName = "m_a");

    int16_t fw_inc_open_sheets();
    int16_t fw_dec_open_sheets();
    int16_t fw_number_of_open_sheets() const { return ii_open_sheets; }

    const std::string& menu_name() const { return is_menuname; }

    int16_t ii_open_sheets = 0;

private:
    std::string is_menuname;
};

}  // namespace pakomo
