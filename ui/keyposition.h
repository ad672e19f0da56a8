#pragma once

#include <QStringView>
#include <optional>

class QKeyEvent;

namespace mezni {

// The digit printed on the key of the digit row that was pressed, whatever the keyboard layout
// types there (on the Czech one "+ěščřžýáíé", the digits need Shift): Windows names those keys by
// their virtual keys, X11 by their key codes. Nothing for any other key, or on another platform.
std::optional<char> digitRowKey(const QKeyEvent &event, QStringView platform);

} // namespace mezni
