#include "standard/layouts/standard_layouts.h"

namespace pakomo {

const std::vector<int32_t>& dddw_choose_color_rows() {
    static const std::vector<int32_t> rows = {16777215, 255,      65280,    16711680, 8421376,  8388736,  128,
                                              32768,    8388608,  8405056,  192,      49152,    12582912, 12632256,
                                              8421504,  4210752,  16576,    32832,    12615744, 8413184,  14704864,
                                              16777024, 12632128, 16777152, 65535,    57568,    12648447};
    return rows;
}

runtime::DataLayout dddw_choose_color() {
    runtime::DataLayout l;
    l.name = "dddw_choose_color";
    runtime::ColumnLayout c;
    c.name = "color";
    c.type = "long";
    c.attributes["format"] = "[general]";
    c.attributes["background.color"] = "0\t color ";
    c.attributes["color"] = "0\tif (color = 16777215, 0, 16777215)";
    l.columns.push_back(c);
    for (int32_t color : dddw_choose_color_rows()) l.data.push_back({runtime::Value(static_cast<long>(color))});
    return l;
}

}  // namespace pakomo
