#pragma once

#include <QIcon>

namespace mezni {

// The program's icon, drawn at each size so that the small ones stay crisp.
QIcon appIcon();
QPixmap appIconPixmap(int size);

} // namespace mezni
