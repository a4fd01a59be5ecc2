#pragma once
// The splash window shown while the program starts: the logo, the application's name and its
// version on a grey backdrop, without title bar or border.
#include "runtime/ui/Controls.h"
#include "standard/w_a.h"

namespace pakomo {

class w_logo : public w_a {
public:
    w_logo();

    runtime::Ref<runtime::Picture> p_1;
    runtime::Ref<runtime::StaticText> st_appname;
    runtime::Ref<runtime::StaticText> st_versie;
    runtime::Ref<runtime::Picture> p_2;
};

}  // namespace pakomo
