#include "messageboxes.h"

#include <QMessageBox>

namespace mezni {

void QtMessageBoxes::show(QWidget *parent, MessageIcon icon, const QString &title,
                          const QString &text)
{
    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical
                                                  : QMessageBox::Information,
                    title, text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace mezni
