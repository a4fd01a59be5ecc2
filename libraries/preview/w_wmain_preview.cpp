#include "libraries/preview/w_wmain_preview.h"

#include <QFont>
#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "authoring/core/pakomo.h"
#include "authoring/project/nv_create_setup.h"
#include "libraries/preview/layouts/preview_layouts.h"
#include "libraries/preview/preview_library.h"

namespace pakomo {

namespace {

long number(const runtime::DataStore& rows, long row, const char* column) {
    const runtime::Value v = rows.getItem(row, column);
    return v.isNull() ? 0 : static_cast<long>(v.toInt());
}

std::string expanded(const std::string& as_text) {
    auto* service = app().gnv_create_setup.as<nv_create_setup>().get();
    return service ? service->fnv_evaluate_string(as_text) : as_text;
}

}  // namespace

int w_wmain_preview::fw_font_height(int ai_points, int ai_width) {
    const int base = -(ai_points + ai_points / 3);
    return static_cast<int>(std::trunc(double(ai_width) * base / 851.0 + 0.5));
}

int w_wmain_preview::fw_position(long al_edge, int ai_length) {
    return static_cast<uint16_t>(
        static_cast<long long>(std::trunc(double(al_edge) * ai_length / 10000.0 + 0.5)));
}

long w_wmain_preview::fw_edge(int ai_pixel, int ai_length) {
    if (ai_length <= 0) return 0;
    const long edge = std::lround(double(ai_pixel) * 10000.0 / ai_length);
    return std::clamp(edge, 0L, 10000L);
}

w_wmain_preview::client_area w_wmain_preview::fw_client_area(const runtime::DataLayout& al_layout) {
    client_area a;
    for (const runtime::TextLayout& t : al_layout.texts) {
        if (t.name != "t_width") continue;
        a.width = runtime::unitsToPixelsX(t.width);
        a.height = runtime::unitsToPixelsY(t.height);
        a.top = runtime::unitsToPixelsY(t.y);
    }
    return a;
}

void w_wmain_preview::fw_draw(runtime::DataLayout& al_layout, const std::string& as_title,
                              std::optional<long> al_bgcolor, const runtime::DataStore* ads_texts,
                              bool ab_fit_texts) {
    using namespace preview_layout;
    for (runtime::TextLayout& t : al_layout.texts)
        if (t.name == "t_caption") t.text = expanded(as_title);
    if (al_bgcolor) al_layout.textStyles["t_width"].background = *al_bgcolor;
    const client_area client = fw_client_area(al_layout);
    for (long r = 1; ads_texts && r <= ads_texts->rowCount(); ++r) {
        runtime::TextStyle style;
        style.fontFace = ads_texts->getItemString(r, "fontface");
        style.fontSize = -std::max(
            1, std::abs(fw_font_height(static_cast<int>(number(*ads_texts, r, "fontsize")), client.width)));
        style.bold = number(*ads_texts, r, "bold") != 0;
        style.italic = number(*ads_texts, r, "italic") != 0;
        style.underline = number(*ads_texts, r, "underline") != 0;
        style.color = number(*ads_texts, r, "color");
        style.top = true;
        const std::string text = expanded(ads_texts->getItemString(r, "textline"));
        const int x = fw_position(number(*ads_texts, r, "xpos"), client.width);
        const int y = fw_position(number(*ads_texts, r, "ypos"), client.height);
        // Setup draws each text on one line from its place on: the object reaches the right edge.
        int width = std::max(1, client.width - x);
        if (ab_fit_texts) {
            QFont font(QString::fromStdString(style.fontFace));
            font.setPixelSize(-style.fontSize);
            font.setBold(style.bold);
            font.setItalic(style.italic);
            font.setUnderline(style.underline);
            width =
                std::clamp(QFontMetrics(font).horizontalAdvance(QString::fromStdString(text)) + 2, 4, width);
        }
        add_pixels(al_layout, "t_text_" + std::to_string(r), x, client.top + y, width, -style.fontSize * 2,
                   text, style);
    }
}

w_wmain_preview::w_wmain_preview() : w_datawindow_zoom("w_wmain_preview") {
    setTitle("Preview: Background window");
    extend("open", [this](runtime::Args) {
        fw_set_helptopic(preview_help_topic);
        const u_ds_a* page = ids_datastore.get();
        auto l = std::make_shared<runtime::DataLayout>(dw_1->store().layout());
        std::optional<long> colour;
        if (page && page->rowCount() > 0 && !page->getItem(1, "bgcolor").isNull())
            colour = preview::item_number(page, "bgcolor");
        fw_draw(*l, preview::item_text(page, "title"), colour, app().g_str_pass.datastore.get(2).get());
        dw_1->store().setLayout(l);
        dw_1->store().insertRow(0);
        return runtime::Value();
    });
}

}  // namespace pakomo
