#include "libraries/project/uo_project_background.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "authoring/core/pakomo.h"
#include "libraries/preview/layouts/preview_layouts.h"
#include "libraries/preview/w_wmain_preview.h"
#include "libraries/project/w_project.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/System.h"
#include "runtime/services/Text.h"
#include "standard/nv_dialogs.h"
#include "standard/parent_window.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

constexpr int kTop = uo_project_pane::content_top;
constexpr int kDrawingTop = kTop + 110;
// What Setup's records hold: a text of 254 characters, a face name of 39.
constexpr size_t kTextLimit = 254, kFaceLimit = 39;

long number(const runtime::DataStore& ds, long row, const char* column) {
    const Value v = ds.getItem(row, column);
    return v.isNull() ? 0 : static_cast<long>(v.toInt());
}

std::string percent(long al_edge) {
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", al_edge / 100.0);
    return text;
}

// A typed percentage as ten-thousandths; none when it is no number from 0 to 100.
std::optional<long> edge_of(const std::string& as_text) {
    const std::string t = runtime::trim(as_text);
    if (t.empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (end == t.c_str() || *end != '\0' || !std::isfinite(v) || v < 0 || v > 100) return std::nullopt;
    return std::lround(v * 100);
}

void report(const std::string& text) {
    runtime::messageBox("Project", text, runtime::MessageIcon::Exclamation);
}

}  // namespace

uo_project_background::uo_project_background() : uo_project_pane("uo_project_background") {
    fu_set_heading("Setup's background window");
    st_hint = addControl<runtime::StaticText>("st_hint");
    st_hint->move(margin, kTop + 8);
    st_hint->resize(1500, 72);
    st_hint->setText("Right-click the title, a text or the background.");
    struct Place {
        runtime::Ref<runtime::StaticText>* label;
        runtime::Ref<u_sle_a>* edit;
        const char* name;
        const char* text;
        int x;
    };
    for (const Place& p : {Place{&st_left, &sle_left, "left", "Left (%):", 1580},
                           Place{&st_top, &sle_top, "top", "Top (%):", 2100}}) {
        *p.label = addControl<runtime::StaticText>(std::string("st_") + p.name);
        (*p.label)->move(p.x, kTop + 8);
        (*p.label)->resize(260, 72);
        (*p.label)->setText(p.text);
        *p.edit = addControl<u_sle_a>(std::string("sle_") + p.name);
        (*p.edit)->move(p.x + 270, kTop);
        (*p.edit)->resize(220, 84);
        (*p.edit)->setLimit(6);
        (*p.edit)->on("modified", [this](Args) {
            fu_apply_position();
            return Value();
        });
    }
    dw_background = addControl<runtime::DataWindow>("dw_background");
    dw_background->setPresentation(runtime::DataWindow::Presentation::FreeForm);
    dw_background->move(margin, kDrawingTop);
    dw_background->resize(2600, 1000);
    fu_position_set_flags(*dw_background, align_resize);
    fu_position_set_width_marge(*dw_background, 2 * margin);
    fu_position_set_height_marge(*dw_background, kDrawingTop + margin);
    // Shown once the click is over, as the other panes show their menus.
    dw_background->on("rbuttondown", [this](Args a) {
        const runtime::DwObject* hit = a.size() > 3 ? a[3].toDwObject() : nullptr;
        fu_rbuttondown(a.size() > 0 ? static_cast<int>(a[0].toInt()) : 0,
                       a.size() > 1 ? static_cast<int>(a[1].toInt()) : 0, hit ? *hit : runtime::DwObject{});
        return Value();
    });
    dw_background->on("clicked", [this](Args a) {
        const runtime::DwObject* hit = a.size() > 3 ? a[3].toDwObject() : nullptr;
        fu_set_current(hit ? fu_text_row(*hit) : 0);
        return Value(1);  // nothing here is edited in place
    });
    extend("ue_size", [this](Args) {
        fu_refresh();
        return Value();
    });

    ids_texts = runtime::create<u_ds_a>();
    ids_texts->setDataObject("d_project_maintext");
    ids_texts->setTransObject(&app().sqlca);
    on("destructor", [this](Args) {
        if (ids_texts) runtime::destroy(ids_texts);
        return Value();
    });
    fu_show_position();
}

bool uo_project_background::fu_load(int16_t ai_prod_id) {
    ii_prod_id = ai_prod_id;
    pakomo& a = app();
    const Value id(ai_prod_id);
    if (ids_texts->retrieve({&id, 1}) < 0) {
        report("The texts of Setup's background could not be read: " + ids_texts->lastError());
        return false;
    }
    il_max_id = 0;
    for (long r = 1; r <= ids_texts->rowCount(); ++r)
        il_max_id = std::max(il_max_id, number(*ids_texts, r, "id"));
    runtime::SqlRow row;
    const long rc =
        a.sqlca.selectIntoValues("SELECT BGCOLOR FROM WMAIN WHERE PRODID = ?", std::span(&id, 1), row);
    if (rc < 0) {
        report("The colour of Setup's background could not be read: " + a.sqlca.sqlErrText);
        return false;
    }
    il_bgcolor.reset();
    if (rc == 0 && !row.empty() && row[0]) il_bgcolor = std::atol(row[0]->c_str());
    il_bgcolor_saved = il_bgcolor;
    il_current = 0;
    fu_show_position();
    fu_refresh();
    return true;
}

bool uo_project_background::fu_is_modified() const {
    return ids_texts->deletedCount() > 0 || ids_texts->modifiedCount() > 0 || il_bgcolor != il_bgcolor_saved;
}

bool uo_project_background::fu_validate() {
    fu_apply_position();  // a place typed just before the save
    return true;
}

bool uo_project_background::fu_save() {
    if (ids_texts->update(false) != 1) return false;
    if (il_bgcolor == il_bgcolor_saved || !il_bgcolor) return true;
    pakomo& a = app();
    const Value values[] = {Value(*il_bgcolor), Value(int{ii_prod_id})};
    if (a.sqlca.executeValues("UPDATE WMAIN SET BGCOLOR = ? WHERE PRODID = ?", values) < 0) return false;
    if (a.sqlca.sqlNRows > 0) return true;
    // A product made before the background had its row gets one now.
    const Value insert[] = {Value(int{ii_prod_id}), Value(*il_bgcolor)};
    return a.sqlca.executeValues("INSERT INTO WMAIN (PRODID, BGCOLOR) VALUES (?, ?)", insert) >= 0;
}

void uo_project_background::fu_saved() {
    ids_texts->resetUpdate();
    il_bgcolor_saved = il_bgcolor;
}

std::string uo_project_background::fu_title() const {
    auto* w = dynamic_cast<w_project*>(find_parent_window(*this).get());
    return w ? w->fw_get_setuptext() : std::string();
}

void uo_project_background::fu_refresh() {
    auto l = std::make_shared<runtime::DataLayout>(d_wmain_preview());
    l->name = "d_project_background";
    w_wmain_preview::fw_draw(*l, fu_title(), il_bgcolor, ids_texts.get(), true);
    // The current text is framed, here only.
    if (il_current > 0) l->textStyles["t_text_" + std::to_string(il_current)].border = true;
    // The whole screen reduced to fit the drawing's area.
    const w_wmain_preview::client_area client = w_wmain_preview::fw_client_area(*l);
    const int width = std::max(1, client.width), height = std::max(1, client.top + client.height);
    const int room_w = runtime::unitsToPixelsX(dw_background->width()) - 4;
    const int room_h = runtime::unitsToPixelsY(dw_background->height()) - 4;
    l->zoom = std::clamp(static_cast<int>(std::min(room_w * 100.0 / width, room_h * 100.0 / height)), 1, 100);
    dw_background->store().setLayout(l);
    if (dw_background->rowCount() == 0) dw_background->store().insertRow(0);
}

bool uo_project_background::fu_edges_at(int ai_x, int ai_y, long& al_left, long& al_top) const {
    const runtime::DataLayout& l = dw_background->store().layout();
    const w_wmain_preview::client_area client = w_wmain_preview::fw_client_area(l);
    const double zoom = std::max(1, l.zoom) / 100.0;
    // The mouse events give the pixel in units rounded down; this is the pixel again.
    const int pixel_x = static_cast<int>((int64_t(ai_x) * 7 + 31) / 32);
    const double x = pixel_x / zoom;
    const double y = runtime::unitsToPixelsY(ai_y) / zoom - client.top;
    if (x < 0 || y < 0 || x >= client.width || y >= client.height) return false;
    al_left = w_wmain_preview::fw_edge(static_cast<int>(x), client.width);
    al_top = w_wmain_preview::fw_edge(static_cast<int>(y), client.height);
    return true;
}

long uo_project_background::fu_text_row(const runtime::DwObject& adwo) {
    if (adwo.type != "text" || adwo.name.rfind("t_text_", 0) != 0) return 0;
    return std::atol(adwo.name.c_str() + 7);
}

void uo_project_background::fu_rbuttondown(int ai_x, int ai_y, const runtime::DwObject& adwo) {
    if (adwo.type == "text" && adwo.name == "t_caption") {
        fu_show_popup("m_popup_setuptext_project");
        return;
    }
    if (const long row = fu_text_row(adwo); row > 0 && row <= ids_texts->rowCount()) {
        fu_set_current(row);
        fu_show_popup("m_popup_wmain_edittext");
        return;
    }
    if (!fu_edges_at(ai_x, ai_y, il_click_left, il_click_top)) return;
    fu_show_popup("m_popup_wmain_background");
}

void uo_project_background::fu_set_current(long al_row) {
    il_current = al_row >= 1 && al_row <= ids_texts->rowCount() ? al_row : 0;
    fu_show_position();
    fu_refresh();
}

void uo_project_background::fu_show_position() {
    const bool shown = il_current > 0;
    for (runtime::Control* c :
         {static_cast<runtime::Control*>(st_left.get()), static_cast<runtime::Control*>(sle_left.get()),
          static_cast<runtime::Control*>(st_top.get()), static_cast<runtime::Control*>(sle_top.get())})
        c->setEnabled(shown);
    sle_left->setText(shown ? percent(number(*ids_texts, il_current, "xpos")) : "");
    sle_top->setText(shown ? percent(number(*ids_texts, il_current, "ypos")) : "");
}

void uo_project_background::fu_apply_position() {
    if (il_current < 1) return;
    const std::optional<long> left = edge_of(sle_left->text()), top = edge_of(sle_top->text());
    if (left && top) {
        fu_set_position(il_current, *left, *top);
    } else {
        report("Type the place as a percentage from 0 to 100, such as 12.5.");
        fu_show_position();
    }
}

void uo_project_background::fu_set_position(long al_row, long al_left, long al_top) {
    if (al_row < 1 || al_row > ids_texts->rowCount()) return;
    if (number(*ids_texts, al_row, "xpos") != al_left) ids_texts->setItem(al_row, "xpos", Value(al_left));
    if (number(*ids_texts, al_row, "ypos") != al_top) ids_texts->setItem(al_row, "ypos", Value(al_top));
    if (al_row == il_current) fu_show_position();
    fu_refresh();
}

bool uo_project_background::fu_ask_text(long al_row) {
    runtime::DataStore& ds = *ids_texts;
    const runtime::DataLayout& l = ds.layout();
    auto initial = [&](const char* column) {
        for (const runtime::ColumnLayout& c : l.columns)
            if (c.name == column) return c.initial;
        return Value();
    };
    // A new text starts from the font of the last one, as texts of one background mostly share it.
    const long from = al_row > 0 ? al_row : ds.rowCount();
    auto value = [&](const char* column) { return from > 0 ? ds.getItem(from, column) : initial(column); };
    auto as_number = [](const Value& v) { return v.isNull() ? 0 : static_cast<int32_t>(v.toInt()); };
    s_pass& p = app().g_str_pass;
    p.string.clear();
    p.number.clear();  // a third number is the sample's background: the background's own colour
    p.boolean.clear();
    p.string[1] = value("fontface").isNull() ? std::string() : value("fontface").toText();
    p.string[2] = al_row < 1 || value("textline").isNull() ? std::string() : value("textline").toText();
    p.number[1] = as_number(value("fontsize"));
    p.number[2] = as_number(value("color"));
    p.number[3] = static_cast<int32_t>(fu_get_backgroundcolor());
    p.boolean[1] = as_number(value("bold")) != 0;
    p.boolean[2] = as_number(value("italic")) != 0;
    p.boolean[3] = as_number(value("underline")) != 0;
    p.button_clicked = 0;
    auto dialogs = runtime::create<nv_dialogs>();
    const bool confirmed = dialogs->fnv_get_font_with_text();
    runtime::destroy(dialogs);
    if (!confirmed) return false;

    const std::string text = p.string.get(2);
    // A face the list does not hold (not installed here) comes back empty: it stays as it was.
    std::string face = runtime::trim(p.string.get(1));
    if (face.empty())
        face = runtime::trim(value("fontface").isNull() ? std::string() : value("fontface").toText());
    const int32_t size = p.number.get(1);
    if (text.empty()) {
        report("A background text needs a text.");
        return false;
    }
    if (text.size() > kTextLimit) {
        report("A background text holds at most " + std::to_string(kTextLimit) + " characters.");
        return false;
    }
    if (size < 1) {
        report("Choose a size of at least 1 point.");
        return false;
    }
    long row = al_row;
    if (row < 1) {
        row = ds.insertRow(0);
        ds.setItem(row, "id", Value(++il_max_id));
        ds.setItem(row, "prodid", Value(int{ii_prod_id}));
        ds.setItem(row, "xpos", Value(il_click_left));
        ds.setItem(row, "ypos", Value(il_click_top));
    }
    const std::pair<const char*, Value> values[] = {{"textline", Value(text)},
                                                    {"fontface", Value(face.substr(0, kFaceLimit))},
                                                    {"fontsize", Value(size)},
                                                    {"color", Value(p.number.get(2))},
                                                    {"bold", Value(p.boolean.get(1) ? 1 : 0)},
                                                    {"italic", Value(p.boolean.get(2) ? 1 : 0)},
                                                    {"underline", Value(p.boolean.get(3) ? 1 : 0)}};
    // Only what changed is written, so an unchanged text stays unmodified.
    for (const auto& [column, v] : values) {
        const Value old = ds.getItem(row, column);
        if (al_row < 1 || old.isNull() || old.toText() != v.toText()) ds.setItem(row, column, v);
    }
    il_current = row;
    fu_show_position();
    fu_refresh();
    return true;
}

void uo_project_background::fu_new_text() { fu_ask_text(0); }

void uo_project_background::fu_edit_text() {
    if (il_current > 0) fu_ask_text(il_current);
}

void uo_project_background::fu_delete_text() {
    if (il_current < 1 || il_current > ids_texts->rowCount()) return;
    ids_texts->deleteRow(il_current);
    il_current = 0;
    fu_show_position();
    fu_refresh();
}

void uo_project_background::fu_edit_backgroundcolor() {
    int32_t colour = static_cast<int32_t>(fu_get_backgroundcolor());
    app().g_str_pass.button_clicked = 0;
    auto dialogs = runtime::create<nv_dialogs>();
    const bool confirmed = dialogs->fnv_get_color(colour);
    runtime::destroy(dialogs);
    if (!confirmed) return;
    il_bgcolor = colour;
    fu_refresh();
}

}  // namespace pakomo
