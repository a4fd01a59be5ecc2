#pragma once
// Setup's background window in the project window, drawn as Setup draws it on this screen (its
// title, colour and texts), reduced to fit the tab. A right click on the title, on a text or on
// the background shows the menu of that part; the window does what its entries ask through this
// pane. A click on a text makes it the current one, whose place the two fields show and change.
// The title is the one the pages tab edits; the colour and the texts are saved with the product.
#include <cstdint>
#include <optional>
#include <string>

#include "authoring/core/u_ds_a.h"
#include "libraries/project/uo_project_pane.h"
#include "runtime/ui/Controls.h"
#include "runtime/ui/DataWindow.h"
#include "standard/u_sle_a.h"

namespace pakomo {

class uo_project_background : public uo_project_pane {
public:
    // Setup's colour when the product has none.
    static constexpr long default_color = 12632256;

    uo_project_background();

    bool fu_load(int16_t ai_prod_id) override;
    bool fu_is_modified() const override;
    bool fu_validate() override;
    bool fu_save() override;
    void fu_saved() override;

    // Draws the background again from what the window holds now.
    void fu_refresh();
    // Where a point of dw_background (layout units, as its mouse events give it) falls on Setup's
    // client area, in ten-thousandths of its width and height; false off the client area.
    bool fu_edges_at(int ai_x, int ai_y, long& al_left, long& al_top) const;
    // The text (a row of ids_texts) that a clicked object shows; 0 for another object.
    static long fu_text_row(const runtime::DwObject& adwo);

    // The work of the window's events.
    void fu_new_text();  // at the place right-clicked last
    void fu_edit_text();
    void fu_delete_text();
    void fu_edit_backgroundcolor();

    // The current text (0: none), and its place.
    void fu_set_current(long al_row);
    long fu_get_current() const { return il_current; }
    void fu_set_position(long al_row, long al_left, long al_top);
    long fu_get_backgroundcolor() const { return il_bgcolor.value_or(default_color); }
    // The place of the last right click, in ten-thousandths.
    long il_click_left = 0, il_click_top = 0;

    runtime::Ref<runtime::StaticText> st_hint, st_left, st_top;
    runtime::Ref<u_sle_a> sle_left, sle_top;  // the current text's place, in percent
    runtime::Ref<runtime::DataWindow> dw_background;
    runtime::Ref<u_ds_a> ids_texts;  // d_project_maintext
    int16_t ii_prod_id = 0;

private:
    // Asks for a text and its font with the font chooser with text, starting from row `al_row`
    // (0: a new text's defaults); false when cancelled or refused. Writes the row on OK.
    bool fu_ask_text(long al_row);
    void fu_show_position();
    void fu_apply_position();
    std::string fu_title() const;
    void fu_rbuttondown(int ai_x, int ai_y, const runtime::DwObject& adwo);

    long il_current = 0;
    long il_max_id = 0;  // ids are never given twice, deleted rows' included
    std::optional<long> il_bgcolor, il_bgcolor_saved;
};

}  // namespace pakomo
