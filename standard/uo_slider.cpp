#include "standard/uo_slider.h"

#include <QLabel>

#include <cmath>

#include "authoring/core/pakomo.h"
#include "runtime/services/System.h"
#include "runtime/ui/Window.h"
#include "standard/standard_picture.h"
#include "standard/w_mdi.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

// Int of the scripts, kept to 16 bits: the largest whole number not above v, 0 outside the range.
int16_t int16_floor(double v) {
    if (!std::isfinite(v)) return 0;
    double f = std::floor(v);
    if (f < -32768.0 || f > 32767.0) return 0;
    return static_cast<int16_t>(f);
}

void label_look(runtime::StaticText& st, Qt::Alignment alignment) {
    st.setFont("MS Sans Serif", 8, 400);
    if (auto* l = qobject_cast<QLabel*>(st.widget())) l->setAlignment(alignment | Qt::AlignTop);
}

}  // namespace

uo_slider::uo_slider(std::string className) : uo_a(std::move(className)) {
    resize(1047, 152);
    p_slider = addControl<u_p_a>("p_slider");
    p_slider->setOriginalSize(true);
    p_slider->setPictureName(standard_picture("SLIDER16.bmp"));
    p_slider->move(0, 0);
    p_slider->resize(55, 92);
    st_min = addControl<runtime::StaticText>("st_min");
    st_min->move(23, 92);
    st_min->resize(206, 52);
    st_min->setText("0");
    label_look(*st_min, Qt::AlignLeft);
    st_max = addControl<runtime::StaticText>("st_max");
    st_max->move(818, 92);
    st_max->resize(206, 52);
    st_max->setText("100");
    label_look(*st_max, Qt::AlignRight);
    st_bar = addControl<runtime::StaticText>("st_bar");
    st_bar->move(23, 32);
    st_bar->resize(983, 24);
    runtime::setBackgroundColor(*st_bar, 16777215);
    if (auto* l = qobject_cast<QLabel*>(st_bar->widget())) l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // The thumb lies in front of the bar.
    p_slider->widget()->raise();

    extend("constructor", [this](Args) {
        st_bar->resize(width() - 64, st_bar->height());
        st_max->move(st_bar->x() + st_bar->width() - st_max->width(), st_max->y());
        fu_set_maxposition(100);
        fu_set_minposition(0);
        fu_set_position(0);
        fu_set_pagesize(25);
        return Value();
    });
    on("ue_moved", [this](Args a) {
        fu_set_position(static_cast<int32_t>(a.empty() ? 0 : a[0].toInt()));
        return Value();
    });
    on("ue_start_slide", [this](Args a) {
        start_slide(static_cast<int16_t>(a.empty() ? 0 : a[0].toInt()));
        return Value();
    });
    on("ue_end_slide", [this](Args) {
        ib_sliding = false;
        return Value();
    });
    on("ue_page", [this](Args a) {
        int64_t dx = a.empty() ? 0 : a[0].toInt();
        if (dx < 0) trigger("ue_pageup");
        else if (dx > 0) trigger("ue_pagedown");
        return Value();
    });
    on("ue_pagedown", [this](Args) {
        post("ue_moved", {Value(static_cast<long>(il_position) + ii_pagesize)});
        return Value();
    });
    on("ue_pageup", [this](Args) {
        post("ue_moved", {Value(static_cast<long>(il_position) - ii_pagesize)});
        return Value();
    });
    on("ue_clicked", [this](Args a) {
        int64_t xpos = a.size() > 1 ? a[1].toInt() : 0;
        int64_t ypos = a.size() > 2 ? a[2].toInt() : 0;
        if (ypos >= p_slider->y() && ypos <= p_slider->height()) post("ue_page", {Value(xpos - p_slider->x())});
        return Value();
    });
    // The slider's own surface (outside its children).
    on("lbuttondown", [this](Args a) { return trigger("ue_clicked", {a.begin(), a.end()}); });

    p_slider->on("lbuttondown", [this](Args a) { return p_slider->trigger("ue_lbuttondown", {a.begin(), a.end()}); });
    p_slider->on("lbuttonup", [this](Args a) { return p_slider->trigger("ue_lbuttonup", {a.begin(), a.end()}); });
    p_slider->on("ue_lbuttondown", [this](Args) {
        post("ue_start_slide", {Value(pointer_x_in_frame())});
        return Value();
    });
    p_slider->on("ue_lbuttonup", [this](Args) {
        trigger("ue_end_slide");
        return Value();
    });
    st_bar->on("clicked", [this](Args) {
        post("ue_page", {Value(st_bar->pointerX() - p_slider->x())});
        return Value();
    });
}

void uo_slider::fu_set_minposition(int32_t ai_minposition) {
    il_minposition = ai_minposition;
    st_min->setText(std::to_string(ai_minposition));
}

void uo_slider::fu_set_maxposition(int32_t ai_position) {
    il_maxposition = ai_position;
    st_max->setText(std::to_string(ai_position));
}

int16_t uo_slider::thumb_x(int32_t position, int32_t minimum, int32_t maximum, int32_t bar_width) {
    // Measured from the minimum, so that a range not starting at 0 keeps the thumb on its bar.
    double fraction = static_cast<double>(position - minimum) / static_cast<double>(maximum - minimum);
    return int16_floor(fraction * bar_width + 0.5);
}

int16_t uo_slider::drag_steps(int32_t dx, double units_per_step) {
    return int16_floor(static_cast<double>(dx) / units_per_step + 0.5);
}

void uo_slider::fu_set_position(int32_t ai_position) {
    if (ai_position > il_maxposition) ai_position = il_maxposition;
    if (ai_position < il_minposition) ai_position = il_minposition;
    if (ai_position == il_position) return;
    il_position = ai_position;
    p_slider->move(thumb_x(il_position, il_minposition, il_maxposition, st_bar->width()), p_slider->y());
}

int uo_slider::pointer_x_in_frame() const {
    if (w_mdi* frame = app().g_w_frame.get()) return frame->pointerX();
    if (runtime::Window* w = parentWindow()) return w->pointerX();
    return pointerX();
}

void uo_slider::start_slide(int16_t ai_xpos) {
    runtime::Ref<uo_slider> self(this);
    ib_sliding = true;
    int32_t start_x = ai_xpos;
    int32_t start_position = il_position;
    double units_per_step = static_cast<double>(st_bar->width()) / static_cast<double>(il_maxposition - il_minposition);
    while (ib_sliding) {
        int32_t steps = drag_steps(pointer_x_in_frame() - start_x, units_per_step);
        trigger("ue_moved", {Value(static_cast<long>(start_position) + steps)});
        if (!self.isValid() || isDestroying()) return;
        runtime::yieldEvents();
        // The window may have closed meanwhile (Esc with the button held down).
        if (!self.isValid() || isDestroying()) return;
    }
}

}  // namespace pakomo
