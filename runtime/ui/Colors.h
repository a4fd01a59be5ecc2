#pragma once
// Colours of the runtime: red + 256 x green + 65536 x blue, or, with bits above the 24 colour
// bits set, a system colour taken from the toolkit's palette: 33554432 the window text,
// 67108864 and 79741120 the button face, 276856960 the application workspace, 1073741824 the
// window background. Another value with high bits set keeps its low 24 bits as a colour.
#include <QColor>

#include <cstdint>

namespace runtime {

namespace systemcolor {
constexpr int64_t WindowText = 33554432;
constexpr int64_t ButtonFace = 67108864;
constexpr int64_t ButtonFaceAlt = 79741120;
constexpr int64_t AppWorkspace = 276856960;
constexpr int64_t WindowBackground = 1073741824;
}  // namespace systemcolor

QColor toQColor(int64_t color);
// The runtime's number of a plain colour.
int64_t fromQColor(const QColor& color);

}  // namespace runtime
