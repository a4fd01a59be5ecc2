#include "authoring/windows/uo_tv_master_detail.h"

#include <QWidget>

#include "runtime/ui/Services.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {
int16_t arg(Args a, size_t i) { return static_cast<int16_t>(i < a.size() ? a[i].toInt() : 0); }
}  // namespace

uo_tv_master_detail::uo_tv_master_detail(std::string className) : uo_a(std::move(className)) {
    resize(2738, 1216);
    tv_1 = addControl<u_tv_a>("tv_1");
    tv_1->resize(tv_1->width(), 1196);
    tv_1->setTabOrder(10);
    uo_seperator = addControl<uo_line_seperator>("uo_seperator");
    uo_seperator->move(507, 0);
    uo_seperator->resize(32, 1064);
    uo_seperator->setTabOrder(20);
    uo_seperator->widget()->setCursor(Qt::SizeHorCursor);

    on("lbuttonup", [this](Args a) { return trigger("ue_lbuttonup", {a.begin(), a.end()}); });

    on("ue_w_resize", [this](Args a) {
        const int16_t ai_width = arg(a, 0), ai_height = arg(a, 1);
        const int16_t li_newheight = static_cast<int16_t>(ai_height - 2);
        resize(ai_width - 2, li_newheight);
        tv_1->trigger("ue_resize", {tv_1->width(), li_newheight - 2 - tv_1->y()});
        uo_seperator->trigger("ue_resize", {li_newheight - 2 - uo_seperator->y()});
        trigger("ue_detail_resize", {0, ai_width - 2, li_newheight - 2});
        return Value();
    });

    on("ue_start_separator_drag", [this](Args) {
        const long ll_handle = handle();
        ib_dragmode = true;
        setcapture(static_cast<uint32_t>(ll_handle));
        return Value();
    });

    extend("ue_mousemove", [this](Args a) {
        if (!ib_dragmode) return Value();
        constexpr int16_t li_marge = 32;
        const int16_t li_width_this = static_cast<int16_t>(width());
        const int16_t li_width_sep = static_cast<int16_t>(uo_seperator->width());
        const int16_t li_right_border = static_cast<int16_t>(li_width_this - li_width_sep - li_marge);
        const int16_t li_left_border = static_cast<int16_t>(li_width_sep + li_marge);
        int16_t li_newx = arg(a, 1);
        // The right limit first: in a control too narrow for both it wins.
        if (li_newx > li_right_border)
            li_newx = li_right_border;
        else if (li_newx < li_left_border)
            li_newx = li_left_border;
        uo_seperator->move(li_newx, uo_seperator->y());
        tv_1->resize(li_newx - tv_1->x() - 5, tv_1->height());
        trigger("ue_detail_resize", {li_newx + 36, width() - li_newx - 6 - 32, 0});
        return Value();
    });

    on("ue_lbuttonup", [this](Args) { return trigger("ue_end_separator_drag"); });

    on("ue_end_separator_drag", [this](Args) {
        constexpr int16_t li_marge = 2;
        ib_dragmode = false;
        releasecapture();
        const int16_t li_x = static_cast<int16_t>(uo_seperator->x());
        tv_1->resize(li_x - tv_1->x() - 5, tv_1->height());
        const int16_t li_new_d_x = static_cast<int16_t>(li_x + 36);
        trigger("ue_detail_resize", {li_new_d_x, width() - li_new_d_x - li_marge, 0});
        return Value();
    });
}

uint32_t uo_tv_master_detail::setcapture(uint32_t handle) {
    runtime::VisualObject* previous = runtime::captured();
    if (runtime::VisualObject* object = runtime::findByHandle(static_cast<long>(handle)))
        runtime::setCapture(*object);
    return previous ? static_cast<uint32_t>(previous->handle()) : 0;
}

void uo_tv_master_detail::releasecapture() { runtime::releaseCapture(); }

}  // namespace pakomo
