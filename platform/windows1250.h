#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Windows-1250, the code page of Czech Windows and of Czech Excel's CSV files, by its own table:
// Qt's codec for it comes from ICU, which a Qt built without ICU (as on Windows) does not have.
namespace mezni::windows1250 {

QString decode(QByteArrayView bytes);
// Characters the code page does not have become '?'.
QByteArray encode(QStringView text);

} // namespace mezni::windows1250
