#pragma once
// A tree on the left and a detail area on the right, with a separator between them that the user
// drags to share the width. It has no detail control of its own: a descendant places its detail
// control whenever ue_detail_resize tells it where the area now lies, with
//   (new left edge, new width, 0) after the separator moved, and
//   (0, the control's new width, new height) after the holder resized it through ue_w_resize.
#include <cstdint>
#include <string>

#include "standard/u_tv_a.h"
#include "standard/uo_a.h"
#include "standard/uo_line_seperator.h"

namespace pakomo {

class uo_tv_master_detail : public uo_a {
public:
    explicit uo_tv_master_detail(std::string className = "uo_tv_master_detail");

    // USER32.
    uint32_t setcapture(uint32_t handle);
    void releasecapture();

    runtime::Ref<u_tv_a> tv_1;
    runtime::Ref<uo_line_seperator> uo_seperator;
    bool ib_dragmode = false;
};

}  // namespace pakomo
