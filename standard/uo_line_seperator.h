#pragma once
// The splitter bar between the tree and the detail area of the tree-and-detail control: a thick
// vertical line that follows the height its owner gives it and hands a left-button press to the
// owner, which drags it.
#include <string>

#include "runtime/ui/Controls.h"
#include "standard/uo_a.h"

namespace pakomo {

class uo_line_seperator : public uo_a {
public:
    explicit uo_line_seperator(std::string className = "uo_line_seperator");

    runtime::Ref<runtime::Line> ln_1;
    runtime::Ref<runtime::Object> iuo_parent;  // the tree-and-detail control
};

}  // namespace pakomo
