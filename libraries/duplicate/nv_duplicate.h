#pragma once
// The product copy: created by name while gi_prod_id holds a product, it copies that product at
// once: every row of its tables under a new product id, in one transaction that is rolled back
// on any failure. The copy's label ("Copy", "Copy 2", ...) makes its full product name new, so
// that it has settings and a build folder of its own.
#include <cstdint>
#include <string>

#include "authoring/core/nv_a.h"

namespace pakomo {

class nv_duplicate : public nv_a {
public:
    nv_duplicate();
    ~nv_duplicate() override;

    // Copies product gi_prod_id: the new product's id, or -1 when nothing was copied (reported).
    int16_t fnv_duplicate();

    int16_t ii_new_prod_id = 0;  // the result of the copy made at creation

private:
    int16_t report(const std::string& text);
};

// The tables that hold a product's rows besides PRODUCT, each by its PRODID.
extern const char* const product_tables[15];

// Registers the duplicate library's classes with the runtime's class registry.
void register_duplicate_library();

}  // namespace pakomo
