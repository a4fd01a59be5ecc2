#pragma once
// Layout units of windows and controls (x units = px x 32 / 7, y units = px x 4), as the
// runtime's system functions convert them.
#include "runtime/services/System.h"

namespace runtime::units {

inline int toUnitsX(int pixels) { return pixelsToUnitsX(pixels); }
inline int toUnitsY(int pixels) { return pixelsToUnitsY(pixels); }
inline int toPixelsX(int units) { return unitsToPixelsX(units); }
inline int toPixelsY(int units) { return unitsToPixelsY(units); }

}  // namespace runtime::units
