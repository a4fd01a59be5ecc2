#pragma once
// The preview library: registers the six page previews and their layouts, and opens a preview as
// its openers do (the page's row, the background texts, the project service in g_str_pass).
#include <cstdint>
#include <string>

#include "authoring/core/u_ds_a.h"
#include "runtime/data/DataStore.h"
#include "runtime/ui/DataWindow.h"

namespace pakomo {

void register_preview_library();

// The help file's topic of the previews.
constexpr int16_t preview_help_topic = 43;

// The layout that window `as_window` ("w_userinfo_preview") shows: "d_userinfo_preview".
std::string fw_preview_layout(const std::string& as_window);

// Opens preview window `as_window` over row 1 of `ads_page` (layout "d_page_preview") and, for
// the background window, the background texts of `ads_texts` (columns of MAINTEXT).
void fw_open_preview(const std::string& as_window, u_ds_a& ads_page, u_ds_a* ads_texts = nullptr);

namespace preview {

// A text or number of row 1 of the passed row set; empty for a null or a missing row set.
std::string item_text(const u_ds_a* ads, const std::string& as_column);
long item_number(const u_ds_a* ads, const std::string& as_column);
// Sets the text of text object `as_name`, whatever quotes it holds.
void set_text(runtime::DataWindow& adw, const std::string& as_name, const std::string& as_text);

}  // namespace preview

}  // namespace pakomo
