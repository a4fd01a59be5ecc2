#include "authoring/windows/w_logo.h"

#include <QWidget>

#include "authoring/core/pakomo.h"
#include "standard/standard_picture.h"
#include "standard/text_color.h"

namespace pakomo {

namespace {
constexpr long kGrey = 12632256;
constexpr long kBlue = 16711680;
}  // namespace

w_logo::w_logo() : w_a("w_logo", runtime::WindowKind::Popup) {
    resize(1938, 1152);
    setTitleBarBoxes(false, false, false);
    setResizable(false);
    runtime::setBackgroundColor(*this, kGrey);
    p_1 = addControl<runtime::Picture>("p_1");
    p_1->move(55, 312);
    p_1->resize(1829, 800);
    p_1->setOriginalSize(true);
    p_1->setPictureName(standard_picture("RUXgroot.bmp"));
    st_appname = addControl<runtime::StaticText>("st_appname");
    st_appname->move(32, 28);
    st_appname->resize(1874, 184);
    st_appname->setFont("MS Sans Serif", 24, 700);
    st_versie = addControl<runtime::StaticText>("st_versie");
    st_versie->move(32, 212);
    st_versie->resize(1874, 96);
    st_versie->setFont("MS Sans Serif", 12, 700);
    for (runtime::StaticText* text : {st_appname.get(), st_versie.get()}) {
        set_text_color(*text, kBlue);
        runtime::setBackgroundColor(*text, kGrey);
    }
    p_2 = addControl<runtime::Picture>("p_2");
    p_2->move(0, 0);
    p_2->resize(1938, 1152);
    p_2->setOriginalSize(true);
    p_2->setPictureName(standard_picture("Blankwin.bmp"));
    if (QWidget* backdrop = p_2->widget()) backdrop->lower();
    extend("open", [this](runtime::Args) {
        const s_pass& pass = app().g_str_pass;
        st_appname->setText(pass.app_name);
        st_versie->setText(pass.major_version + "." + pass.minor_version);
        fw_center();
        return runtime::Value();
    });
}

}  // namespace pakomo
