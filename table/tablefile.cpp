#include "tablefile.h"

#include "files.h"
#include "tabletexts.h"
#include "workbook.h"

#include <QFileInfo>

namespace mezni {

using namespace Qt::StringLiterals;

QString openTable(QFile &file)
{
    if (QFileInfo(file.fileName()).isDir())
        return u"je to složka"_s;
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return {};
}

QString outputIsTheTable(bool emptied)
{
    QString text = u"Výstup je sama čtená tabulka: výsledky zapište do jiného souboru."_s;
    if (emptied)
        text += u" Tabulku už vyprázdnil shell, když výstup přesměroval (>) do ní: obnovte ji "
                "(např. ze zálohy) a výsledky přesměrujte do jiného souboru."_s;
    return text;
}

QString outputOfAnotherKind(QIODevice &in, const QString &path)
{
    const QByteArray head = in.peek(4096);
    const std::string_view bytes(head.constData(), std::size_t(head.size()));
    const QFileInfo target(path);
    const QString suffix = target.suffix().toLower();
    const bool text = suffix == u"csv" || suffix == u"tsv" || suffix == u"txt";
    const bool xlsx = suffix == u"xlsx" || suffix == u"xls", ods = suffix == u"ods";
    if (!isWorkbook(bytes)) {
        if (!xlsx && !ods)
            return {};
        return u"Výsledky textové tabulky jsou textová tabulka, ne sešit %1: zapište je do "
               "souboru %2 (sešit z ní uložíte v tabulkovém procesoru)."_s.arg(
                   suffix.toUpper(), quoted(target.completeBaseName() + u".csv"_s));
    }
    const bool isOds = bytes.find("application/vnd.oasis.opendocument.spreadsheet") != bytes.npos;
    if (!text && !(isOds ? xlsx : ods))
        return {};
    const QString name = target.completeBaseName() + (isOds ? u".ods"_s : u".xlsx"_s);
    return u"Výsledky sešitu jsou sešit téhož druhu, ne %1 %2: zapište je do souboru %3 (jiný "
           "formát z něj uložíte v tabulkovém procesoru)."_s.arg(text ? u"tabulka"_s : u"sešit"_s,
                                                                 suffix.toUpper(), quoted(name));
}

TableResult computeInto(QIODevice &in, CheckedOutput &out, const TableOptions &options,
                        const QLocale &locale, TableObserver *observer, const BeforeFinish &check)
{
    CheckedTableOutput table(out);
    TableResult result = processTable(in, &table, options, locale, observer);
    if (result.usageError.isEmpty() && !result.stopped && !result.outputFailed) {
        if (check)
            if (const QString why = check(); !why.isEmpty())
                out.refuse(why);
        result.outputFailed = !out.finish();
    }
    return result;
}

TableResult saveTable(QIODevice &in, const QString &path, const TableOptions &options,
                      const QLocale &locale, TableObserver *observer, QString &failure,
                      const BeforeFinish &check)
{
    TableResult result;
    if (sameFile(in, path)) {
        result.usageError = outputIsTheTable();
        return result;
    }
    if (const QString refused = outputOfAnotherKind(in, path); !refused.isEmpty()) {
        result.usageError = refused;
        return result;
    }
    OutputFile target(path);
    if (!target.open()) {
        failure = target.errorString();
        result.outputFailed = true;
        return result;
    }
    CheckedOutput out(target.device());
    result = computeInto(in, out, options, locale, observer, check);
    if (result.outputFailed)
        failure = out.error();
    return result;
}

QString computedHow(const TableResult &result, const TableOptions &options)
{
    const TableSummary &s = result.summary;
    const QString notes =
        (result.columns.replaced > 0 ? tabletexts::earlierResultsReplaced() : QString()) +
        tabletexts::totalRows(s.totals, s.firstTotalRows, s.firstTotalLabel);
    if (options.byQualityCode())
        return tabletexts::computedByCode(
                   result.columns.code >= 0 ? std::nullopt : options.qualityCode, result.sheet) +
               notes;
    const TableColumns &c = result.columns;
    const auto header = [&c](int column) {
        return column >= 0 ? c.headers.value(column) : QString();
    };
    return tabletexts::computedHow(c.scale >= 0 ? std::nullopt : std::optional(options.mapClass),
                                   c.method >= 0 ? std::nullopt : std::optional(options.method),
                                   result.sheet, header(c.scaleByHeader),
                                   header(c.methodByHeader)) +
           notes;
}

} // namespace mezni
