#pragma once
// The list of files whose path a product names more than once: the file's id (name_1), its path
// (file) and its file group's name (filegrp). It lives in memory only.
#include "authoring/core/u_ds_a.h"

namespace pakomo {

class u_ds_duplicate_files : public u_ds_a {
public:
    u_ds_duplicate_files() : u_ds_a("u_ds_duplicate_files") { setDataObject("d_duplicate_files"); }
};

}  // namespace pakomo
