#include "standard/w_about.h"

#include "authoring/core/pakomo.h"
#include "standard/text_color.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

u_st_naw_a::u_st_naw_a(std::string className) : runtime::StaticText(std::move(className)) {
    resize(402, 80);
    setFont("Times New Roman", 8, 400);
}

uo_naw::uo_naw(std::string className) : runtime::UserObject(std::move(className)) {
    resize(795, 288);
    static const char* const lines[] = {"RUX Software", "Postbus 1024", "1000 AB Amsterdam", "support@rux.example",
                                        "www.rux.example"};
    runtime::Ref<u_st_naw_a>* texts[] = {&st_5, &st_4, &st_3, &st_2, &st_1};
    const char* names[] = {"st_5", "st_4", "st_3", "st_2", "st_1"};
    for (int i = 0; i < 5; ++i) {
        *texts[i] = addControl<u_st_naw_a>(names[i]);
        (*texts[i])->move(9, 8 + 56 * i);
        (*texts[i])->resize(777, 56);
        (*texts[i])->setText(lines[i]);
    }
}

w_about::w_about(std::string className) : w_ok_cancel(std::move(className)) {
    // Tall enough that the address's last line and the closing line show whole at the program's font.
    resize(1367, 1300);
    setTitle("About...");
    st_1 = addControl<runtime::StaticText>("st_1");
    st_1->move(9, 1084);
    st_1->resize(946, 88);
    st_1->setText("Thank you for using it");
    st_1->setFont("MS Sans Serif", 12, 700);
    set_text_color(*st_1, 32768);
    runtime::setBackgroundColor(*st_1, 12632256);
    gb_1 = addControl<runtime::GroupBox>("gb_1");
    gb_1->move(18, 692);
    gb_1->resize(1321, 376);
    gb_1->setFont("MS Sans Serif", 8, 700);
    set_text_color(*gb_1, 32768);
    runtime::setBackgroundColor(*gb_1, 12632256);
    p_1 = addControl<runtime::Picture>("p_1");
    p_1->move(229, 360);
    p_1->resize(896, 384);
    p_1->setPictureName(standard_picture("logo.bmp"));
    st_appname = addControl<runtime::StaticText>("st_appname");
    st_appname->move(279, 56);
    st_appname->resize(1019, 108);
    st_appname->setText("appname");
    st_appname->setFont("MS Sans Serif", 18, 700);
    set_text_color(*st_appname, 128);
    runtime::setBackgroundColor(*st_appname, 12632256);
    st_version = addControl<runtime::StaticText>("st_version");
    st_version->move(279, 220);
    st_version->resize(1019, 76);
    st_version->setText("Versie");
    st_version->setFont("MS Sans Serif", 10, 700);
    set_text_color(*st_version, 128);
    runtime::setBackgroundColor(*st_version, 12632256);
    p_icon = addControl<runtime::Picture>("p_icon");
    p_icon->move(55, 92);
    p_icon->resize(165, 144);
    p_icon->setOriginalSize(true);
    uo_1 = addControl<uo_naw>("uo_1");
    uo_1->move(64, 748);
    cb_1->move(960, 1080);
    cb_2->setVisible(false);
    extend("open", [this](Args) {
        const s_pass& pass = app().g_str_pass;
        std::string version = pass.major_version + "." + pass.minor_version;
        if (!pass.language.empty()) version += "  " + pass.language;
        fw_center();
        st_appname->setText(pass.app_name);
        st_version->setText(version);
        p_icon->setPictureName(pass.icon_bmp);
        return Value();
    });
}

}  // namespace pakomo
