#include "filedialogs.h"

#include <QFileDialog>
#include <QFileInfo>

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
    // Results are a file of the table's kind: only that is offered.
    const QString suffix = QFileInfo(proposed).suffix().toLower();
    const QString filter = suffix == u"xlsx" ? QStringLiteral("Sešit Excelu (*.xlsx *.XLSX)")
                           : suffix == u"ods"
                               ? QStringLiteral("Sešit OpenDocument (*.ods *.ODS)")
                               : QStringLiteral("Tabulky (*.csv *.tsv *.txt *.CSV *.TSV *.TXT);;"
                                                "Všechny soubory (*)");
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Uložit výsledky"), proposed,
                                        filter);
}

} // namespace mezni
