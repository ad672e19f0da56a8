#pragma once

#include "resulttexts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace mezni {
enum class NotText;
}

// Every text of the table mode: the reasons in "Chyba", the summary and the usage errors.
namespace mezni::tabletexts {

// "1 řádek", "3 řádky", "5 řádků": the Czech plural of a counted word.
QString counted(qint64 n, const char16_t *one, const char16_t *few, const char16_t *many);

using mezni::quoted;

// The reasons a row gets in "Chyba".
QString missingArea();
QString missingAreaField(int column);
QString missingComparedField(int column);
QString tooManyFields(int fields, int width);
QString notNumber(bool compared);
QString negativeCompared();
QString otherDecimalMark(bool compared, const QString &value, char tableMark);
QString readsTwoWays(bool compared, const QString &value, const QString &asComma,
                     const QString &asPoint);

// The summary on standard error, without the program's name.
QString summary(qint64 computed, qint64 failed, const QList<qint64> &firstFailedRows);
QString unclosedQuote(qint64 line, qint64 row);
QString encodingChanged(const QString &encoding, qint64 row);

// Usage errors: the table cannot be processed at all.
QString utf16();
QString notText(NotText kind);
QString likelyDelimiter(const QStringList &headers, char delimiter);
QString empty();
QString firstRowTooLong();
QString headerRowMissing(qint64 row, qint64 rows);
QString headerRowWithoutHeader();
QString columnMissing(const QString &name, const QStringList &headers);
QString columnNumberMissing(const QString &name, int columns);
QString columnTwice(const QString &name, const QList<int> &columns);
QString noAreaColumn(const QStringList &headers);
QString firstRowLooksLikeData();
QString headerLooksLater(qint64 row);
QString manyAreaColumns(const QStringList &headers, const QList<int> &columns);
QString onlyAreaColumnCompared(const QString &header);
QString sameColumnTwice(int column);
QString otherUnit(const QString &header, const QString &unit);
QString noHeaderManyColumns(int columns);

} // namespace mezni::tabletexts
