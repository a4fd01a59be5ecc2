#pragma once
// The record that every item of a file list carries as its data: the id of its FILE row and the
// keys the list sorts by (sort1 the size as ten digits, sort2 the write time as fourteen).
#include <cstdint>
#include <string>

namespace pakomo {

struct str_listviewsort {
    uint32_t l_id = 0;
    std::string sort1, sort2, sort3, sort4, sort5, sort6, sort7, sort8, sort9, sort10;
};

}  // namespace pakomo
