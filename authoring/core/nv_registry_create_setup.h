#pragma once
// The settings service the program creates (gnv_registry): on top of nv_registry, the settings of
// the product that the project service holds ("Products\<full product name>" and its build
// parameters), the "Redist" folder and the widths of the file list's columns.
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/core/nv_registry.h"

namespace pakomo {

class nv_registry_create_setup : public nv_registry {
public:
    nv_registry_create_setup();
    ~nv_registry_create_setup() override;

    virtual bool fnv_delete_product();
    virtual int16_t fnv_set_sizetype(uint32_t al_number);
    virtual uint32_t fnv_get_buildparms_value(const std::string& as_keyval, uint32_t al_default);
    virtual uint32_t fnv_get_compression_level(uint32_t al_default);
    virtual std::string fnv_get_filedest(const std::string& as_default);
    virtual void fnv_get_positions_fileview(std::vector<int16_t>& ai_col_width);
    virtual uint32_t fnv_get_size(uint32_t al_default);
    virtual uint32_t fnv_get_sizetype(uint32_t al_default);
    virtual int16_t fnv_set_buildparms_value(const std::string& as_keyval, uint32_t al_number);
    virtual int16_t fnv_set_compression_level(uint32_t al_number);
    virtual int16_t fnv_set_filedest(const std::string& as_string);
    virtual void fnv_set_positions_fileview(const std::vector<int16_t>& ai_col_width);
    virtual int16_t fnv_set_size(uint32_t al_number);
    virtual uint32_t fnv_get_compiled(uint32_t al_default);
    virtual std::string fnv_get_product_regkey(const std::string& as_section);
    virtual std::string fnv_get_redist_path(const std::string& as_default);
    virtual std::string fnv_get_selectfiles_path(const std::string& as_default);
    virtual int16_t fnv_set_compiled(uint32_t al_number);
    virtual int16_t fnv_set_selectfiles_path(const std::string& as_string);

    const std::string is_key_redist = "Redist";
    const std::string is_val_redist_path = "Path";
    const std::string is_key_buildparms = "BuildParms";
    const std::string is_val_filedest = "FileDestination";
    const std::string is_val_sizetype = "Sizetype";
    const std::string is_val_size = "Size";
    const std::string is_val_compression_level = "CompressionLevel";
    const std::string is_val_compiled = "UpToDate";
    const std::string is_key_pos_fileview = "Positions\\Fileview";
    const std::string is_val_pos_fileview_1 = "Column1";
    const std::string is_val_pos_fileview_2 = "Column2";
    const std::string is_val_pos_fileview_3 = "Column3";
    const std::string is_key_selectfiles = "SelectFiles";
    const std::string is_val_selectfiles_path = "Path";
};

}  // namespace pakomo
