#include "authoring/core/nv_registry_create_setup.h"

#include "authoring/core/nv_a.h"
#include "authoring/core/pakomo.h"
#include "runtime/core/RuntimeError.h"
#include "runtime/services/Text.h"

namespace pakomo {
namespace {

// The full product name of the product that the project service holds at this moment.
std::string full_product_name() {
    return app().gnv_create_setup->trigger("fnv_get_fullprodname").toText();
}

}  // namespace

nv_registry_create_setup::nv_registry_create_setup() : nv_registry("nv_registry_create_setup") {}

nv_registry_create_setup::~nv_registry_create_setup() = default;

std::string nv_registry_create_setup::fnv_get_product_regkey(const std::string& as_section) {
    std::string key = "Products\\" + full_product_name();
    if (!as_section.empty()) key += "\\" + as_section;
    return key;
}

bool nv_registry_create_setup::fnv_delete_product() {
    // Without a product name the key would be "Products\" itself: every product's settings.
    if (runtime::trim(full_product_name()).empty()) return false;
    return fnv_delete_regkey(fnv_get_product_regkey(""));
}

uint32_t nv_registry_create_setup::fnv_get_buildparms_value(const std::string& as_keyval, uint32_t al_default) {
    return fnv_get_number(fnv_get_product_regkey(is_key_buildparms), as_keyval, al_default);
}

int16_t nv_registry_create_setup::fnv_set_buildparms_value(const std::string& as_keyval, uint32_t al_number) {
    return fnv_set_number(fnv_get_product_regkey(is_key_buildparms), as_keyval, al_number);
}

uint32_t nv_registry_create_setup::fnv_get_sizetype(uint32_t al_default) {
    return fnv_get_buildparms_value(is_val_sizetype, al_default);
}

uint32_t nv_registry_create_setup::fnv_get_size(uint32_t al_default) {
    return fnv_get_buildparms_value(is_val_size, al_default);
}

uint32_t nv_registry_create_setup::fnv_get_compression_level(uint32_t al_default) {
    return fnv_get_buildparms_value(is_val_compression_level, al_default);
}

int16_t nv_registry_create_setup::fnv_set_sizetype(uint32_t al_number) {
    return fnv_set_buildparms_value(is_val_sizetype, al_number);
}

int16_t nv_registry_create_setup::fnv_set_size(uint32_t al_number) {
    return fnv_set_buildparms_value(is_val_size, al_number);
}

int16_t nv_registry_create_setup::fnv_set_compression_level(uint32_t al_number) {
    return fnv_set_buildparms_value(is_val_compression_level, al_number);
}

std::string nv_registry_create_setup::fnv_get_filedest(const std::string& as_default) {
    return fnv_get_string(fnv_get_product_regkey(is_key_buildparms), is_val_filedest, as_default);
}

int16_t nv_registry_create_setup::fnv_set_filedest(const std::string& as_string) {
    return fnv_set_string(fnv_get_product_regkey(is_key_buildparms), is_val_filedest, as_string);
}

uint32_t nv_registry_create_setup::fnv_get_compiled(uint32_t al_default) {
    return fnv_get_number(fnv_get_product_regkey(""), is_val_compiled, al_default);
}

int16_t nv_registry_create_setup::fnv_set_compiled(uint32_t al_number) {
    return fnv_set_number(fnv_get_product_regkey(""), is_val_compiled, al_number);
}

std::string nv_registry_create_setup::fnv_get_selectfiles_path(const std::string& as_default) {
    return fnv_get_string(fnv_get_product_regkey(is_key_selectfiles), is_val_selectfiles_path, as_default);
}

int16_t nv_registry_create_setup::fnv_set_selectfiles_path(const std::string& as_string) {
    return fnv_set_string(fnv_get_product_regkey(is_key_selectfiles), is_val_selectfiles_path, as_string);
}

std::string nv_registry_create_setup::fnv_get_redist_path(const std::string& as_default) {
    return fnv_get_string(is_key_redist, is_val_redist_path, as_default);
}

void nv_registry_create_setup::fnv_get_positions_fileview(std::vector<int16_t>& ai_col_width) {
    if (ai_col_width.size() < 3) ai_col_width.resize(3);
    ai_col_width[2] = static_cast<int16_t>(fnv_get_number(is_key_pos_fileview, is_val_pos_fileview_3, 528));
    ai_col_width[1] = static_cast<int16_t>(fnv_get_number(is_key_pos_fileview, is_val_pos_fileview_2, 256));
    ai_col_width[0] = static_cast<int16_t>(fnv_get_number(is_key_pos_fileview, is_val_pos_fileview_1, 1096));
}

void nv_registry_create_setup::fnv_set_positions_fileview(const std::vector<int16_t>& ai_col_width) {
    if (ai_col_width.size() < 3) throw runtime::RuntimeError("Array boundary exceeded: three widths expected");
    fnv_set_number(is_key_pos_fileview, is_val_pos_fileview_3, static_cast<uint16_t>(ai_col_width[2]));
    fnv_set_number(is_key_pos_fileview, is_val_pos_fileview_2, static_cast<uint16_t>(ai_col_width[1]));
    fnv_set_number(is_key_pos_fileview, is_val_pos_fileview_1, static_cast<uint16_t>(ai_col_width[0]));
}

}  // namespace pakomo
