#include "standard/register_standard.h"

#include "runtime/core/Object.h"
#include "standard/nv_dialogs.h"
#include "standard/nv_winapi.h"
#include "standard/layouts/standard_layouts.h"
#include "standard/w_choose_custom_color.h"
#include "standard/w_choose_font.h"
#include "standard/w_choose_font_with_text.h"
#include "standard/w_get_color.h"
#include "standard/w_print.h"
#include "standard/w_print_dw.h"
#include "standard/w_about.h"
#include "standard/w_moment_aub.h"

namespace pakomo {

void register_standard() {
    runtime::registerClass<nv_winapi>("nv_winapi");
    runtime::registerClass<w_moment_aub>("w_moment_aub");
    runtime::registerClass<w_about>("w_about");
    runtime::registerClass<nv_dialogs>("nv_dialogs");
    runtime::registerClass<w_choose_custom_color>("w_choose_custom_color");
    runtime::registerClass<w_get_color>("w_get_color");
    runtime::registerClass<w_choose_font>("w_choose_font");
    runtime::registerClass<w_choose_font_with_text>("w_choose_font_with_text");
    runtime::registerClass<w_print>("w_print");
    runtime::registerClass<w_print_dw>("w_print_dw");
    register_standard_layouts();
}

}  // namespace pakomo
