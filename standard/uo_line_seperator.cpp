#include "standard/uo_line_seperator.h"

#include "runtime/services/System.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

uo_line_seperator::uo_line_seperator(std::string className) : uo_a(std::move(className)) {
    resize(83, 584);
    ln_1 = addControl<runtime::Line>("ln_1");
    ln_1->setPoints(5, 5, 5, 577);
    ln_1->setThickness(runtime::unitsToPixelsX(21));
    ln_1->setEnabled(false);
    extend("constructor", [this](Args) {
        iuo_parent = runtime::Ref<runtime::Object>(runtime::getParent(this));
        return Value();
    });
    on("ue_resize", [this](Args a) {
        int height = a.empty() ? 0 : static_cast<int>(a[0].toInt());
        resize(width(), height);
        ln_1->setPoints(ln_1->beginX(), ln_1->beginY(), ln_1->endX(), height - 8);
        return Value();
    });
    on("lbuttondown", [this](Args a) { return trigger("ue_lbuttondown", {a.begin(), a.end()}); });
    // At once, so the owner's drag has begun before the next mouse message is handled.
    on("ue_lbuttondown", [this](Args) {
        iuo_parent->trigger("ue_start_separator_drag");
        return Value();
    });
}

}  // namespace pakomo
