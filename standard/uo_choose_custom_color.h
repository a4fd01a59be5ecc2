#pragma once
// The colour mixer: red, green and blue, each as a number field and a slider from 0 to 255,
// the mixed colour as a swatch and as its number. The three parts are its only state.
#include <cstdint>
#include <string>

#include "runtime/ui/Controls.h"
#include "standard/u_em_color_component.h"
#include "standard/u_gb_a.h"
#include "standard/u_st_a.h"
#include "standard/uo_a.h"
#include "standard/uo_slider.h"

namespace pakomo {

// A filled rectangle (the swatch).
class colour_rectangle : public runtime::StaticText {
public:
    colour_rectangle();
    void set_fillcolor(int32_t color);
    int32_t fillcolor = 0;
};

class uo_choose_custom_color : public uo_a {
public:
    explicit uo_choose_custom_color(std::string className = "uo_choose_custom_color");

    void fu_set_result_color();
    void fu_set_color(int32_t al_color);
    int32_t fu_get_color() const;

    // The parts of a colour, each within 0 to 255 (a number outside the 24 colour bits would
    // otherwise give parts that no field, slider or colour can show).
    static void split_color(int32_t al_color, int16_t& red, int16_t& green, int16_t& blue);
    // The host's RGB: red + 256 x green + 65536 x blue.
    static int32_t rgb(int16_t red, int16_t green, int16_t blue);

    int16_t r = 0;
    int16_t g = 0;
    int16_t b = 0;

    runtime::Ref<u_gb_a> gb_3;
    runtime::Ref<u_em_color_component> em_rood;
    runtime::Ref<uo_slider> uo_slider_red;
    runtime::Ref<u_gb_a> gb_2;
    runtime::Ref<u_em_color_component> em_groen;
    runtime::Ref<uo_slider> uo_slider_green;
    runtime::Ref<u_gb_a> gb_1;
    runtime::Ref<u_em_color_component> em_blauw;
    runtime::Ref<uo_slider> uo_slider_blue;
    runtime::Ref<u_st_a> st_4;
    runtime::Ref<runtime::StaticText> st_rgb;
    runtime::Ref<colour_rectangle> r_result;

private:
    void part(const char* changed, int16_t& value, runtime::Ref<u_em_color_component>& field,
              runtime::Ref<uo_slider>& slider);
};

}  // namespace pakomo
