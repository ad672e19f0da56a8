#include "filedialogs.h"

#include <QFileDialog>

namespace mezni {

namespace {
const QString tables = QStringLiteral(
    "Tabulky a sešity (*.csv *.tsv *.txt *.xlsx *.ods *.CSV *.TSV *.TXT *.XLSX *.ODS);;"
    "Všechny soubory (*)");
}

QString QtFileDialogs::openTable(QWidget *parent, const QString &folder)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Otevřít tabulku"), folder, tables);
}

QString QtFileDialogs::saveResults(QWidget *parent, const QString &proposed)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Uložit výsledky"), proposed,
                                        tables);
}

} // namespace mezni
