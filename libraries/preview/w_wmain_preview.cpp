#include "libraries/preview/w_wmain_preview.h"

#include <cmath>
#include <cstdlib>
#include <memory>

#include "authoring/core/pakomo.h"
#include "authoring/project/nv_create_setup.h"
#include "libraries/preview/layouts/preview_layouts.h"
#include "libraries/preview/preview_library.h"

namespace pakomo {

namespace {

long number(const u_ds_a& rows, long row, const char* column) {
    const runtime::Value v = rows.getItem(row, column);
    return v.isNull() ? 0 : static_cast<long>(v.toInt());
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

w_wmain_preview::w_wmain_preview() : w_datawindow_zoom("w_wmain_preview") {
    setTitle("Preview: Background window");
    extend("open", [this](runtime::Args) {
        fw_set_helptopic(preview_help_topic);
        using namespace preview_layout;
        const u_ds_a* page = ids_datastore.get();
        nv_create_setup& service = *app().gnv_create_setup.as<nv_create_setup>();
        auto l = std::make_shared<runtime::DataLayout>(dw_1->store().layout());
        int client_w = 0, client_h = 0, top = 0;
        for (runtime::TextLayout& t : l->texts) {
            if (t.name == "t_caption")
                t.text = service.fnv_evaluate_string(preview::item_text(page, "title"));
            if (t.name != "t_width") continue;
            client_w = runtime::unitsToPixelsX(t.width);
            client_h = runtime::unitsToPixelsY(t.height);
            top = runtime::unitsToPixelsY(t.y);
        }
        if (page && page->rowCount() > 0 && !page->getItem(1, "bgcolor").isNull())
            l->textStyles["t_width"].background = preview::item_number(page, "bgcolor");
        // Later texts are drawn over earlier ones, as Setup draws them.
        const runtime::Ref<u_ds_a> texts = app().g_str_pass.datastore.get(2);
        for (long r = 1; texts && r <= texts->rowCount(); ++r) {
            runtime::TextStyle style;
            style.fontFace = texts->getItemString(r, "fontface");
            style.fontSize = -std::max(
                1, std::abs(fw_font_height(static_cast<int>(number(*texts, r, "fontsize")), client_w)));
            style.bold = number(*texts, r, "bold") != 0;
            style.italic = number(*texts, r, "italic") != 0;
            style.underline = number(*texts, r, "underline") != 0;
            style.color = number(*texts, r, "color");
            style.top = true;
            const int x = fw_position(number(*texts, r, "xpos"), client_w);
            const int y = fw_position(number(*texts, r, "ypos"), client_h);
            // Setup draws each text on one line from its place on: the object reaches the right edge.
            add_pixels(*l, "t_text_" + std::to_string(r), x, top + y, std::max(1, client_w - x),
                       -style.fontSize * 2, service.fnv_evaluate_string(texts->getItemString(r, "textline")),
                       style);
        }
        dw_1->store().setLayout(l);
        dw_1->store().insertRow(0);
        return runtime::Value();
    });
}

}  // namespace pakomo
