// MoveControl: where a control goes when its owner is resized.
//
// The rule, per axis (horizontal shown; the vertical axis is the same with vcenter, vresize, the
// top and bottom margins and the height margin):
//   width  = parent_width - w_m        with the hresize flag (never below 0),
//            the control's own width   otherwise;
//   x      = (parent_width - width)/2  with the hcenter flag (it wins over a side margin),
//            l_m                       when the left margin is not 0,
//            parent_width - r_m - width when the right margin is not 0,
//            org_x                     otherwise (a margin of 0 means "no margin").
// A control whose handle names no live control is left alone.
#include "libraries/support/support.h"

#include "runtime/ui/VisualObject.h"

#include <QWidget>

#include <algorithm>

namespace pakomo {
namespace {

struct Axis {
    int position;
    int length;
};

Axis placeOnAxis(int parent, int origin, int length, bool center, bool resize, int nearMargin, int farMargin,
                 int resizeMargin) {
    if (resize) length = std::max(0, parent - resizeMargin);
    int position = origin;
    if (center)
        position = (parent - length) / 2;
    else if (nearMargin != 0)
        position = nearMargin;
    else if (farMargin != 0)
        position = parent - farMargin - length;
    return {position, length};
}

}  // namespace

void MoveControl(long handle, int16_t parent_width, int16_t parent_height, int16_t org_x, int16_t org_y,
                 uint32_t flags, int16_t b_m, int16_t t_m, int16_t l_m, int16_t r_m, int16_t w_m, int16_t h_m) {
    runtime::VisualObject* object = runtime::findByHandle(handle);
    QWidget* widget = object ? object->widget() : nullptr;
    if (!widget) return;
    Axis h = placeOnAxis(parent_width, org_x, widget->width(), flags & move_hcenter, flags & move_hresize, l_m, r_m,
                         w_m);
    Axis v = placeOnAxis(parent_height, org_y, widget->height(), flags & move_vcenter, flags & move_vresize, t_m, b_m,
                         h_m);
    widget->setGeometry(h.position, v.position, h.length, v.length);
}

bool GetWindowSize(long handle, str_size& size) {
    runtime::VisualObject* object = runtime::findByHandle(handle);
    QWidget* widget = object ? object->widget() : nullptr;
    if (!widget) return false;
    size.cx = widget->width();
    size.cy = widget->height();
    return true;
}

}  // namespace pakomo
