#pragma once
// The service that opens the colour and font dialogs for a caller: it fills the parameter
// record where it must, opens the dialog modally and answers whether the user confirmed.
// Callers create it where they need it and destroy it when done (it keeps no state).
#include <cstdint>
#include <optional>
#include <string>

#include "authoring/core/nv_a.h"

namespace pakomo {

class nv_dialogs : public nv_a {
public:
    explicit nv_dialogs(std::string className = "nv_dialogs");

    bool fnv_get_custom_color(int32_t& al_color);
    bool fnv_get_custom_color();
    bool fnv_get_color(int32_t& al_color);
    bool fnv_get_color();
    bool fnv_get_font();
    bool fnv_get_font_with_text();

private:
    // Opens a dialog of that class modally; true when it closed with button_clicked 1.
    bool open_dialog(const std::string& className);
    bool open_color_dialog(const std::string& className, int32_t& al_color);
};

}  // namespace pakomo
