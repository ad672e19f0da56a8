#include "keyposition.h"

#include <QKeyEvent>

namespace mezni {

std::optional<char> digitRowKey(const QKeyEvent &event, QStringView platform)
{
    if (platform == u"windows") {
        // VK_0 to VK_9 are the keys of the digit row on every layout.
        const quint32 key = event.nativeVirtualKey();
        if (key >= '0' && key <= '9')
            return char(key);
    } else if (platform == u"xcb") {
        // Key codes 10 to 19 are the digit row's 1 to 9 and 0 (evdev's, as X numbers them).
        const quint32 code = event.nativeScanCode();
        if (code >= 10 && code <= 19)
            return code == 19 ? '0' : char('1' + (code - 10));
    }
    return std::nullopt;
}

} // namespace mezni
