#pragma once

#include <QIcon>

namespace mezni {

// The program's icon, drawn at each size so that the small ones stay crisp.
QIcon appIcon();
QPixmap appIconPixmap(int size);
// The same drawing without a window system, for the icon files made at build time.
QImage appIconImage(int size);

} // namespace mezni
