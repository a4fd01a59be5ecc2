#include "standard/text_color.h"

#include "runtime/ui/Controls.h"

namespace pakomo {

void set_text_color(runtime::VisualObject& object, long color) { runtime::setTextColor(object, color); }

}  // namespace pakomo
