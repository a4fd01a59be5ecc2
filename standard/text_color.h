#pragma once
// The text colour of a window or control as the program writes colours (red + 256 x green +
// 65536 x blue).
#include "runtime/ui/VisualObject.h"

namespace pakomo {

void set_text_color(runtime::VisualObject& object, long color);

}  // namespace pakomo
