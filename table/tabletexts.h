#pragma once

#include "resulttexts.h"
#include "tablechoices.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdint>

namespace mezni {
enum class NotText;
enum class CellKind : std::uint8_t;
} // namespace mezni

// Every text of the table mode: the reasons in "Chyba", the summary and the usage errors.
namespace mezni::tabletexts {

// What a usage error asks the user to change, in the caller's words: the command line names its
// options ("volbou --sloupec"), the table window its controls.
struct ChoiceNames
{
    QString areaColumn;         // where the area column is chosen
    QString areaColumnByNumber; // the same where only its number can name it
    QString compareColumn;
    QString noHeader;
    QString headerRow; // %1: the row
    QString delimiter; // %1: the character
    QString encoding;
    QString decimal;
    QString scale;  // where the scale is chosen, or its column
    QString method; // the same for the method
    QString sheet;  // %1: the sheet's name
};

// "1 řádek", "3 řádky", "5 řádků": the Czech plural of a counted word.
QString counted(qint64 n, const char16_t *one, const char16_t *few, const char16_t *many);

using mezni::quoted;

// The names of the columns the program adds, in order ("V mezích" only with a verdict), and the
// words of the verdict.
QStringList resultColumns(bool verdict, bool byQualityCode = false);
QString verdict(bool withinBounds);

// The reasons a row gets in "Chyba".
QString missingArea();
QString missingAreaField(int column);
QString missingComparedField(int column);
QString tooManyFields(int fields, int width);
QString notNumber(bool compared);
// A field longer than any number (limit: the characters a number may have, blanks around it
// left out).
QString fieldTooLong(bool compared, std::size_t limit);
// A workbook's cell that holds something other than a number (a date, a logical value, an error,
// a formula without a stored result).
QString notNumberCell(bool compared, CellKind kind, const QString &value);
// A row's own scale, method or quality code.
enum class RowChoice { Scale, Method, Code };
QString missingChoiceField(RowChoice choice, int column);
QString missingChoice(RowChoice choice);
QString unknownChoice(RowChoice choice, const QString &value);
QString negativeCompared();
QString otherDecimalMark(bool compared, const QString &value, char tableMark);
QString readsTwoWays(bool compared, const QString &value, const QString &asComma,
                     const QString &asPoint);
// Rows that got one of the two reasons above, and where to choose the decimal mark.
QString decimalMarkHint(qint64 rows, const ChoiceNames &names);

// The summary on standard error, without the program's name.
// outside: the rows outside their bounds, -1 where there is no verdict.
QString summary(qint64 computed, qint64 failed, const QList<qint64> &firstFailedRows,
                qint64 outside = -1);
// How the rows were computed where options say it for all of them: " · 1:1000, číselně"
// (none where each row has its own); a workbook's sheet too; the columns found by their headers
// by their headers, read (scale or method none: "měřítko ze sloupce „Měřítko“") or not
// ("měřítko 1:2000 (sloupec „Měřítko“ nepoužit)").
QString computedHow(std::optional<MapClass> mapClass, std::optional<Method> method,
                    const QString &sheet = {}, const QString &scaleFound = {},
                    const QString &methodFound = {});
// More than one column whose header says it holds the scale (the method).
QString manyChoiceColumns(RowChoice choice, const QStringList &headers, const QList<int> &columns,
                          const ChoiceNames &names);
// The same for the rule by quality code: " · kód kvality 6" (" · kód kvality podle řádků").
QString computedByCode(std::optional<qint32> code, const QString &sheet = {});
// The program's own result columns of an earlier computation were replaced.
QString earlierResultsReplaced();
// Total rows passed without figures: " · řádek 12 „Celkem“ je součet, nepočítán" (label: what the
// first says of itself), " · řádky 12, 30 jsou součty, nepočítány"; none where there are none.
QString totalRows(qint64 totals, const QList<qint64> &firstRows, const QString &label);
// The same as a sentence: "Spočteno 1 234 řádků, 3 s chybou, 2 mimo meze".
QString summarySentence(qint64 computed, qint64 failed, qint64 outside, const QLocale &locale);
QString unclosedQuote(qint64 line, qint64 row);
QString encodingChanged(const QString &encoding, qint64 row, const ChoiceNames &names);

// Usage errors: the table cannot be processed at all.
QString workbookDamaged();
// A part of the workbook that is no well-formed XML (why: which way), one in an encoding the
// program does not read, a sheet without room after its last value.
QString workbookPart(const QString &why);
QString sheetEncoding(const QString &encoding);
QString noRoomForResults(const QString &sheet, int columns);
QString workbookProtected();
QString sheetMissing(const QString &wanted, const QStringList &sheets);
QString sheetEmpty(const QString &sheet);
// Another sheet of the workbook has the area column the one read lacks.
QString sheetHasArea(const QString &sheet, const ChoiceNames &names);
QString notText(NotText kind);
// Choices a file cannot take: a delimiter or an encoding for a workbook, another encoding for
// Unicode (UTF-16) text.
QString notForWorkbooks();
QString notForUtf16();
QString likelyDelimiter(const QStringList &headers, char delimiter, const ChoiceNames &names);
QString empty();
QString firstRowTooLong();
QString headerRowMissing(qint64 row, qint64 rows);
QString headerRowWithoutHeader();
QString columnMissing(const QString &name, const QStringList &headers);
QString columnNumberMissing(const QString &name, int columns);
QString columnTwice(const QString &name, const QList<int> &columns);
QString noAreaColumn(const QStringList &headers, const ChoiceNames &names);
QString firstRowLooksLikeData(const ChoiceNames &names);
QString headerLooksLater(qint64 row, const ChoiceNames &names);
QString manyAreaColumns(const QStringList &headers, const QList<int> &columns,
                        const ChoiceNames &names);
QString onlyAreaColumnCompared(const QString &header, const ChoiceNames &names);
QString sameColumnTwice(int column);
QString areaColumnIsChoice(int column, RowChoice choice);
QString otherUnit(const QString &header, const QString &unit);
QString noHeaderManyColumns(int columns, const ChoiceNames &names);

} // namespace mezni::tabletexts
