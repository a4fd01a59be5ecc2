#include "standard/w_moment_aub.h"

#include <QPalette>
#include <QWidget>

#include "authoring/core/pakomo.h"
#include "runtime/core/Dispatch.h"
#include "runtime/services/System.h"
#include "standard/w_mdi.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

uo_moment_aub::uo_moment_aub(std::string className) : runtime::UserObject(std::move(className)) {
    resize(1349, 272);
    runtime::setBackgroundColor(*this, 16777215);
    st_1 = addControl<runtime::StaticText>("st_1");
    st_1->move(137, 92);
    st_1->resize(1074, 72);
    st_1->setText("Please wait a moment...");
    st_1->setFont("MS Sans Serif", 10, 400);
    runtime::setBackgroundColor(*st_1, 16777215);
    st_1->setEnabled(false);
    // Disabled only so that it takes no input: its text keeps the normal colour.
    QPalette palette = st_1->widget()->palette();
    palette.setColor(QPalette::Disabled, QPalette::WindowText, palette.color(QPalette::Active, QPalette::WindowText));
    st_1->widget()->setPalette(palette);
}

w_moment_aub::w_moment_aub(std::string className) : runtime::Window(std::move(className), runtime::WindowKind::Popup) {
    // It only tells the user to wait: the keyboard stays with the window that was active, so that
    // the keys work at once when it closes again.
    widget()->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    widget()->setAttribute(Qt::WA_ShowWithoutActivating);
    move(833, 357);
    resize(1349, 273);
    runtime::setBackgroundColor(*this, 16777215);
    uo_1 = addControl<uo_moment_aub>("uo_1");
    uo_1->move(1, 1);
    on("open", [this](Args) {
        const runtime::Environment& env = app().g_env;
        int screen_width = runtime::pixelsToUnitsX(env.screenWidth);
        int screen_height = runtime::pixelsToUnitsY(env.screenHeight);
        move(static_cast<int>((screen_width - width()) * 0.5), static_cast<int>((screen_height - height()) * 0.5));
        // Without a frame there is nothing to disable.
        if (w_mdi* frame = app().g_w_frame.get()) frame->setEnabled(false);
        runtime::Pointer::set(runtime::PointerShape::HourGlass);
        return Value();
    });
    on("close", [](Args) {
        if (w_mdi* frame = app().g_w_frame.get()) frame->setEnabled(true);
        return Value();
    });
}

}  // namespace pakomo
