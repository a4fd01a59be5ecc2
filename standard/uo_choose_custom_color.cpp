#include "standard/uo_choose_custom_color.h"

#include <QLabel>

#include <algorithm>
#include <cmath>

namespace pakomo {

using runtime::Args;
using runtime::Ref;
using runtime::Value;

colour_rectangle::colour_rectangle() : runtime::StaticText("rectangle") {
    if (auto* l = qobject_cast<QLabel*>(widget())) {
        l->setFrameStyle(QFrame::Box | QFrame::Plain);
        l->setLineWidth(1);
    }
    set_fillcolor(0);
}

void colour_rectangle::set_fillcolor(int32_t color) {
    fillcolor = color;
    runtime::setBackgroundColor(*this, color);
}

uo_choose_custom_color::uo_choose_custom_color(std::string className) : uo_a(std::move(className)) {
    resize(1723, 1456);
    struct Row {
        const char* gb;
        const char* title;
        const char* em;
        const char* slider;
        int y;
        Ref<u_gb_a>* group;
        Ref<u_em_color_component>* field;
        Ref<uo_slider>* bar;
    };
    const Row rows[] = {{"gb_3", "Red", "em_rood", "uo_slider_red", 0, &gb_3, &em_rood, &uo_slider_red},
                        {"gb_2", "Green", "em_groen", "uo_slider_green", 276, &gb_2, &em_groen, &uo_slider_green},
                        {"gb_1", "Blue", "em_blauw", "uo_slider_blue", 552, &gb_1, &em_blauw, &uo_slider_blue}};
    for (const Row& row : rows) {
        *row.group = addControl<u_gb_a>(row.gb);
        (*row.group)->setText(row.title);
        (*row.group)->move(0, row.y);
        (*row.group)->resize(1691, 256);
        *row.field = addControl<u_em_color_component>(row.em);
        (*row.field)->move(73, row.y + 84);
        (*row.field)->resize(210, 84);
        *row.bar = addControl<uo_slider>(row.slider);
        (*row.bar)->move(311, row.y + 84);
        (*row.bar)->resize(1339, 152);
    }
    st_4 = addControl<u_st_a>("st_4");
    st_4->setText("RGB");
    st_4->move(635, 840);
    st_4->resize(247, 56);
    st_rgb = addControl<runtime::StaticText>("st_rgb");
    st_rgb->move(635, 912);
    st_rgb->resize(379, 84);
    st_rgb->setFont("MS Sans Serif", 8, 400);
    runtime::setBackgroundColor(*st_rgb, 16777215);
    if (auto* l = qobject_cast<QLabel*>(st_rgb->widget())) l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    r_result = addControl<colour_rectangle>("r_result");
    r_result->move(14, 1028);
    r_result->resize(1687, 408);

    extend("constructor", [this](Args) {
        r = 0;
        g = 0;
        b = 0;
        return Value();
    });
    on("ue_post_constructor", [this](Args) {
        uo_slider_red->fu_set_maxposition(255);
        uo_slider_green->fu_set_maxposition(255);
        uo_slider_blue->fu_set_maxposition(255);
        uo_slider_red->fu_set_pagesize(64);
        uo_slider_green->fu_set_pagesize(64);
        uo_slider_blue->fu_set_pagesize(64);
        fu_set_result_color();
        return Value();
    });
    part("ue_red_changed", r, em_rood, uo_slider_red);
    part("ue_green_changed", g, em_groen, uo_slider_green);
    part("ue_blue_changed", b, em_blauw, uo_slider_blue);
}

void uo_choose_custom_color::part(const char* changed, int16_t& value, Ref<u_em_color_component>& field,
                                  Ref<uo_slider>& slider) {
    std::string event = changed;
    on(event, [this, &value, &field, &slider](Args a) {
        value = static_cast<int16_t>(a.empty() ? 0 : a[0].toInt());
        field->setText(std::to_string(value));
        slider->fu_set_position(value);
        fu_set_result_color();
        return Value();
    });
    // The field's own handler has kept the text within 0 to 255 already.
    field->extend("modified", [this, event, &field](Args) {
        post(event, {Value(static_cast<int>(static_cast<int16_t>(Value(field->text()).toInt())))});
        return Value();
    });
    slider->extend("ue_moved", [this, event, &field, &slider](Args) {
        int16_t in_field = static_cast<int16_t>(Value(field->text()).toInt());
        int16_t position = slider->fu_get_position();
        if (in_field != position) {
            field->setText(std::to_string(position));
            trigger(event, {Value(static_cast<int>(position))});
        }
        return Value();
    });
}

int32_t uo_choose_custom_color::rgb(int16_t red, int16_t green, int16_t blue) {
    return red + 256 * green + 65536 * blue;
}

void uo_choose_custom_color::fu_set_result_color() {
    int32_t color = rgb(r, g, b);
    r_result->set_fillcolor(color);
    st_rgb->setText(std::to_string(color));
}

void uo_choose_custom_color::split_color(int32_t al_color, int16_t& red, int16_t& green, int16_t& blue) {
    red = static_cast<int16_t>(al_color % 256);
    blue = static_cast<int16_t>(std::trunc(al_color * 0.0000152587890625));
    al_color -= static_cast<int32_t>(blue) * 65536;
    green = static_cast<int16_t>(std::trunc(al_color * 0.00390625));
    red = std::clamp<int16_t>(red, 0, 255);
    green = std::clamp<int16_t>(green, 0, 255);
    blue = std::clamp<int16_t>(blue, 0, 255);
}

void uo_choose_custom_color::fu_set_color(int32_t al_color) {
    int16_t red, green, blue;
    split_color(al_color, red, green, blue);
    trigger("ue_red_changed", {Value(static_cast<int>(red))});
    trigger("ue_green_changed", {Value(static_cast<int>(green))});
    trigger("ue_blue_changed", {Value(static_cast<int>(blue))});
}

int32_t uo_choose_custom_color::fu_get_color() const { return rgb(r, g, b); }

}  // namespace pakomo
