#include "messageboxes.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStyle>

namespace mezni {

namespace {

// At least as wide as a box titled so needs to show its whole title.
int titleWidth(const QString &title)
{
    // The caption is drawn in the title bar's font (often larger than the dialog's), beside the
    // window's icon and its close button.
    const QFont font = QApplication::font("QMdiSubWindowTitleBar");
    const int icon = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return QFontMetrics(font).horizontalAdvance(title) * 5 / 4 + 4 * icon;
}

} // namespace

void QtMessageBoxes::show(QWidget *parent, MessageIcon icon, const QString &title,
                          const QString &text)
{
    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical
                                                  : QMessageBox::Information,
                    title, text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    // A short message would make the box narrower than its title, which the system then cuts.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(titleWidth(title), 0, QSizePolicy::Minimum), grid->rowCount(),
                      0, 1, grid->columnCount());
    box.exec();
}

} // namespace mezni
