#pragma once
// The program's pictures: the side picture of the pages (bitmap 129) and its icon (144), drawn
// once when first asked for.
#include <QIcon>
#include <QPixmap>

namespace setup {

inline constexpr int SidePictureId = 129;
inline constexpr int ProgramIconId = 144;

QPixmap LoadSetupBitmap(int id);
QIcon LoadSetupIcon(int id);

}  // namespace setup
