#pragma once

#include "checkedoutput.h"
#include "table.h"

#include <QFile>
#include <QString>
#include <functional>

class QIODevice;

// What both faces do with a table file, said once: open it (or say why not), refuse to write
// into it, compute it into a checked output that replaces a file only once all of it is on disk,
// and say how it was computed.
namespace mezni {

// Opens the table to read; the reason in words where it cannot be.
QString openTable(QFile &file);

// The results would go into the table being read: refused before anything is written. emptied:
// the shell has already emptied it ("> table").
QString outputIsTheTable(bool emptied = false);

// Results are a file of the table's own kind: a workbook's under the name of a text table (.csv,
// .tsv, .txt) or of the other workbook kind, a text table's under a workbook's name, are refused
// before anything is written, with the name to use instead; empty where they fit.
QString outputOfAnotherKind(QIODevice &in, const QString &path);

// Asked once everything is computed, before a file is replaced: a reason not to (the table read
// has changed meanwhile), or nothing.
using BeforeFinish = std::function<QString()>;

// The table computed into out, every byte checked to the end (for a file that replaces another,
// on disk and in its place); where the output failed, result.outputFailed and out.error() say so.
TableResult computeInto(QIODevice &in, CheckedOutput &out, const TableOptions &options,
                        const QLocale &locale, TableObserver *observer = nullptr,
                        const BeforeFinish &check = {});

// The table computed into a file that replaces the named one only once all of it is written (a
// device or a pipe named is written as it is); the reason where it could not be written.
TableResult saveTable(QIODevice &in, const QString &path, const TableOptions &options,
                      const QLocale &locale, TableObserver *observer, QString &failure,
                      const BeforeFinish &check = {});

// How the rows were computed, where choices say it for all of them: " · list „Data“, 1:1000,
// číselně" ("měřítko podle řádků" where each row has its own); earlier results replaced and total
// rows passed too.
QString computedHow(const TableResult &result, const TableOptions &options);

} // namespace mezni
