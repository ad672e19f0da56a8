#pragma once

#include "messageboxes.h"

namespace mezni {

// Records the boxes a window would show instead of blocking on them.
class RecordingMessageBoxes final : public MessageBoxes
{
public:
    struct Shown
    {
        MessageIcon icon;
        QString title;
        QString text;
    };
    QList<Shown> shown;

    void show(QWidget *, MessageIcon icon, const QString &title, const QString &text) override
    {
        shown.append({icon, title, text});
    }
};

} // namespace mezni
