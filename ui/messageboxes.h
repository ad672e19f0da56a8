#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace mezni {

enum class MessageIcon { Information, Critical };

// Modal message boxes with an OK button, behind an interface so that window tests can record
// them instead of blocking on them.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // Returns when the box is closed.
    virtual void show(QWidget *parent, MessageIcon icon, const QString &title,
                      const QString &text) = 0;
};

class QtMessageBoxes final : public MessageBoxes
{
public:
    void show(QWidget *parent, MessageIcon icon, const QString &title,
              const QString &text) override;
};

} // namespace mezni
