#include "tabletexts.h"

#include "choices.h"
#include "csvsource.h"
#include "evaluation.h"
#include "qualityrule.h"
#include "table.h"

namespace mezni::tabletexts {

using namespace Qt::StringLiterals;

namespace {

QString columnList(const QStringList &headers)
{
    // Empty ones (a sheet's styled empty cells) name nothing.
    QStringList shown;
    for (const QString &h : headers)
        if (!h.trimmed().isEmpty())
            shown += quoted(h);
    return shown.join(u", "_s);
}

QString numbers(const QList<int> &columns)
{
    QStringList list;
    for (const int c : columns)
        list += QString::number(c + 1);
    if (list.size() < 2)
        return list.join(QString());
    const QString last = list.takeLast();
    return list.join(u", "_s) + u" a "_s + last;
}

QString value(bool compared)
{
    return compared ? u"Porovnávaná výměra"_s : u"Výměra"_s;
}

} // namespace

QString counted(qint64 n, const char16_t *one, const char16_t *few, const char16_t *many)
{
    const char16_t *word = n == 1 ? one : (n >= 2 && n <= 4) ? few : many;
    return QString::number(n) + u' ' + QString::fromUtf16(word);
}

QStringList resultColumns(bool verdict, bool byQualityCode)
{
    // The rule by quality code has no twice δ.
    QStringList names =
        byQualityCode
            ? QStringList{u"Mezní odchylka"_s, u"MIN"_s, u"MAX"_s}
            : QStringList{u"Mezní odchylka"_s, u"Dvojnásobek mezní odchylky"_s, u"MIN"_s, u"MAX"_s};
    if (verdict)
        names += u"V mezích"_s;
    names += u"Chyba"_s;
    return names;
}

QString verdict(bool withinBounds)
{
    return withinBounds ? u"ano"_s : u"ne"_s;
}

QString missingArea()
{
    return u"Chybí výměra"_s;
}

QString missingAreaField(int column)
{
    return u"Řádek nemá pole s výměrou (sloupec %1)"_s.arg(column + 1);
}

QString missingComparedField(int column)
{
    return u"Řádek nemá pole s porovnávanou výměrou (sloupec %1)"_s.arg(column + 1);
}

QString tooManyFields(int fields, int width)
{
    return u"Řádek má %1, hlavička jen %2: výsledky by stály pod jinými nadpisy"_s.arg(
        counted(fields, u"pole", u"pole", u"polí"), counted(width, u"pole", u"pole", u"polí"));
}

QString notNumber(bool compared)
{
    return compared ? u"Porovnávaná výměra musí být číslo"_s : messages::notNumber();
}

QString fieldTooLong(bool compared, std::size_t limit)
{
    return u"%1: pole má víc než %2 znaků"_s.arg(notNumber(compared),
                                                 QLocale(QLocale::Czech).toString(qint64(limit)));
}

QString notNumberCell(bool compared, CellKind kind, const QString &text)
{
    switch (kind) {
    case CellKind::Date:
        return u"%1 je datum %2, ne číslo"_s.arg(value(compared), quoted(text));
    case CellKind::Bool:
        return u"%1 je logická hodnota, ne číslo"_s.arg(value(compared));
    case CellKind::Error:
        return u"%1 je chyba výpočtu %2, ne číslo"_s.arg(value(compared), quoted(text));
    case CellKind::NoResult:
        return u"%1 je vzorec bez uloženého výsledku: otevřete sešit v tabulkovém procesoru a "
               "uložte jej"_s.arg(value(compared));
    default:
        return notNumber(compared);
    }
}

QString missingChoiceField(RowChoice choice, int column)
{
    return u"Řádek nemá pole %1 (sloupec %2)"_s
        .arg(choice == RowChoice::Scale    ? u"s měřítkem mapy"_s
             : choice == RowChoice::Method ? u"se způsobem výpočtu"_s
                                           : u"s kódem kvality"_s)
        .arg(column + 1);
}

QString missingChoice(RowChoice choice)
{
    return choice == RowChoice::Scale    ? u"Chybí měřítko mapy"_s
           : choice == RowChoice::Method ? u"Chybí způsob výpočtu"_s
                                         : u"Chybí kód kvality"_s;
}

QString unknownChoice(RowChoice choice, const QString &text)
{
    switch (choice) {
    case RowChoice::Scale:
        return u"Neznámé měřítko mapy %1: měřítko je %2 (s „1:“ nebo bez)"_s.arg(quoted(text),
                                                                                 scaleList());
    case RowChoice::Method:
        return u"Neznámý způsob výpočtu %1: způsob je číselně (1), nebo graficky (0)"_s.arg(
            quoted(text));
    case RowChoice::Code:
        break;
    }
    return messages::unknownQualityCode(text);
}

QString negativeCompared()
{
    return u"Porovnávaná výměra nesmí být záporná"_s;
}

QString otherDecimalMark(bool compared, const QString &text, char tableMark)
{
    return u"%1 %2 je zapsána s desetinnou %3, tabulka má desetinnou %4"_s.arg(
        value(compared), quoted(text), tableMark == ',' ? u"tečkou"_s : u"čárkou"_s,
        tableMark == ',' ? u"čárku"_s : u"tečku"_s);
}

QString readsTwoWays(bool compared, const QString &text, const QString &asComma,
                     const QString &asPoint)
{
    return u"%1 %2 se dá číst jako %3 i jako %4: určete desetinný oddělovač tabulky"_s.arg(
        value(compared), quoted(text), asComma, asPoint);
}

QString decimalMarkHint(qint64 rows, const ChoiceNames &names)
{
    return u"Desetinný oddělovač tabulky neurčují její čísla jednoznačně (%1): určete jej %2."_s
        .arg(counted(rows, u"řádek", u"řádky", u"řádků"), names.decimal);
}

QString summary(qint64 computed, qint64 failed, const QList<qint64> &firstFailedRows,
                qint64 outside)
{
    QString text = u"spočteno řádků: %1, s chybou: %2"_s.arg(computed).arg(failed);
    if (failed > 0) {
        QStringList rows;
        for (const qint64 row : firstFailedRows)
            rows += QString::number(row);
        text += u" (%1 %2%3)"_s.arg(failed == 1 ? u"řádek"_s : u"řádky"_s, rows.join(u", "_s),
                                    failed > firstFailedRows.size() ? u", …"_s : QString());
    }
    if (outside >= 0)
        text += u", mimo meze: %1"_s.arg(outside);
    return text;
}

QString computedHow(std::optional<MapClass> mapClass, std::optional<Method> method,
                    const QString &sheet, const QString &scaleFound, const QString &methodFound)
{
    // Each row's own from a column the user named, or from one found by its header; or the one
    // chosen for all, beside a column found but not used.
    const auto part = [](std::optional<QString> chosen, const QString &found, const QString &word) {
        if (!chosen)
            return found.isEmpty() ? word + u" podle řádků"_s
                                   : word + u" ze sloupce "_s + quoted(found);
        if (found.isEmpty())
            return *chosen;
        return u"%1 %2 (sloupec %3 nepoužit)"_s.arg(word, *chosen, quoted(found));
    };
    QStringList parts;
    if (!sheet.isEmpty())
        parts += u"list "_s + quoted(sheet);
    parts += part(mapClass ? std::optional(scaleName(codeOf(*mapClass))) : std::nullopt, scaleFound,
                  u"měřítko"_s);
    parts += part(method ? std::optional(methodName(codeOf(*method))) : std::nullopt, methodFound,
                  u"způsob"_s);
    return u" · "_s + parts.join(u", "_s);
}

QString manyChoiceColumns(RowChoice choice, const QStringList &headers, const QList<int> &columns,
                          const ChoiceNames &names)
{
    const bool scale = choice == RowChoice::Scale;
    return u"V hlavičce tabulky je víc sloupců %1 (sloupce %2): zadejte ten pravý %3. Sloupce: "
           "%4."_s.arg(scale ? u"s měřítkem mapy"_s : u"se způsobem určení výměry"_s,
                       numbers(columns), scale ? names.scale : names.method, columnList(headers));
}

QString computedByCode(std::optional<qint32> code, const QString &sheet)
{
    QStringList parts;
    if (!sheet.isEmpty())
        parts += u"list "_s + quoted(sheet);
    parts += code ? u"kód kvality %1"_s.arg(*code) : u"kód kvality podle řádků"_s;
    return u" · "_s + parts.join(u", "_s);
}

QString earlierResultsReplaced()
{
    return u" · výsledky předchozího výpočtu nahrazeny"_s;
}

QString totalRows(qint64 totals, const QList<qint64> &firstRows, const QString &label)
{
    if (totals == 0)
        return {};
    if (totals == 1) {
        // A long label is the row's own text, not a word: its start says enough.
        const QString shown = label.size() > 40 ? label.left(39) + u'…' : label;
        return u" · řádek %1%2 je součet, nepočítán"_s.arg(QString::number(firstRows.value(0)),
                                                           shown.isEmpty() ? QString()
                                                                           : u' ' + quoted(shown));
    }
    QStringList rows;
    for (const qint64 row : firstRows)
        rows += QString::number(row);
    return u" · řádky %1%2 jsou součty, nepočítány"_s.arg(
        rows.join(u", "_s), totals > firstRows.size() ? u", …"_s : QString());
}

QString summarySentence(qint64 computed, qint64 failed, qint64 outside, const QLocale &locale)
{
    const auto count = [&](qint64 n, const char16_t *one, const char16_t *few,
                           const char16_t *many) {
        const char16_t *word = n == 1 ? one : (n >= 2 && n <= 4) ? few : many;
        return locale.toString(n) + u' ' + QString::fromUtf16(word);
    };
    const char16_t *ending = computed == 1 ? u"" : computed >= 2 && computed <= 4 ? u"y" : u"o";
    QString text = u"Spočten"_s + QString::fromUtf16(ending) + u' ' +
                   count(computed, u"řádek", u"řádky", u"řádků");
    text += u", "_s + locale.toString(failed) + u" s chybou"_s;
    if (outside >= 0)
        text += u", "_s + locale.toString(outside) + u" mimo meze"_s;
    return text;
}

QString unclosedQuote(qint64 line, qint64 row)
{
    return u"uvozovky otevřené na %1. řádku souboru (řádek tabulky %2) nejsou nikde uzavřeny: "
           "zbytek souboru je jediné pole, bez výsledků. Uzavřete je, nebo je zdvojte."_s.arg(line)
               .arg(row);
}

QString encodingChanged(const QString &encoding, qint64 row, const ChoiceNames &names)
{
    return u"tabulka od řádku %1 není v kódování %2, ve kterém jsou zapsány přidané sloupce: "
           "výstup má dvě kódování. Zadejte kódování %3."_s.arg(row)
               .arg(encoding, names.encoding);
}

QString notForWorkbooks()
{
    return u"Sešit (.xlsx či .ods) nemá oddělovač polí ani kódování textu: oddělovač a kódování "
           "se na něj nevztahují, vynechte je."_s;
}

QString notForUtf16()
{
    return u"Tabulka je v kódování UTF-16 (jak říká značka na jejím začátku): jiné kódování se na "
           "ni nevztahuje, vynechte je."_s;
}

QString notText(NotText kind)
{
    switch (kind) {
    case NotText::Zip:
        return u"Soubor je archiv ZIP, ne tabulka ani sešit: zadejte tabulku CSV nebo sešit "
               ".xlsx či .ods."_s;
    case NotText::Xls:
        return u"Soubor je sešit starého Excelu (.xls): v Excelu jej uložte jako „Sešit Excelu "
               "(*.xlsx)“ a zadejte ten."_s;
    case NotText::Protected:
        return workbookProtected();
    case NotText::Vfk:
        return u"Soubor je ve výměnném formátu katastru (VFK), ne tabulka parcel: výměry parcel "
               "z něj vyexportujte do tabulky CSV."_s;
    case NotText::Binary:
        break;
    }
    return u"Soubor není textová tabulka ani sešit (obsahuje binární data): zadejte tabulku CSV "
           "nebo sešit .xlsx či .ods."_s;
}

QString likelyDelimiter(const QStringList &headers, char delimiter, const ChoiceNames &names)
{
    const QString character(QChar::fromLatin1(delimiter));
    return u"V hlavičce tabulky není sloupec s výměrou: sloupce jsou zřejmě oddělené znakem %1, "
           "zadejte jej %2. Hlavička: %3."_s.arg(quoted(character), names.delimiter.arg(character),
                                                 columnList(headers));
}

QString workbookDamaged()
{
    return u"Sešit je poškozený nebo neúplný: otevřete jej v tabulkovém procesoru a uložte znovu."_s;
}

QString workbookPart(const QString &why)
{
    return u"Sešit je poškozený (%1): otevřete jej v tabulkovém procesoru a uložte znovu."_s.arg(
        why);
}

QString sheetEncoding(const QString &encoding)
{
    return u"List sešitu je v kódování %1, které program nečte: otevřete sešit v tabulkovém "
           "procesoru a uložte jej znovu (v UTF-8)."_s.arg(quoted(encoding));
}

QString noRoomForResults(const QString &sheet, int columns)
{
    return u"List %1 nemá za posledním sloupcem s hodnotou místo pro %2 sloupců s výsledky "
           "(list má nejvýše 16 384 sloupců, XFD): přesuňte nebo smažte hodnoty v posledních "
           "sloupcích."_s.arg(quoted(sheet), QString::number(columns));
}

QString workbookProtected()
{
    return u"Sešit je chráněn heslem: v tabulkovém procesoru jej uložte bez hesla."_s;
}

QString sheetMissing(const QString &wanted, const QStringList &sheets)
{
    return u"List %1 v sešitu není. Listy: %2."_s.arg(quoted(wanted), columnList(sheets));
}

QString sheetHasArea(const QString &sheet, const ChoiceNames &names)
{
    return u" Sloupec s výměrou má list %1: zvolte jej %2."_s.arg(quoted(sheet),
                                                                  names.sheet.arg(sheet));
}

QString sheetEmpty(const QString &sheet)
{
    return u"List %1 je prázdný."_s.arg(quoted(sheet));
}

QString empty()
{
    return u"Tabulka je prázdná."_s;
}

QString firstRowTooLong()
{
    return u"Hlavička tabulky je delší než 1 MiB."_s;
}

QString headerRowMissing(qint64 row, qint64 rows)
{
    return u"Řádek hlavičky %1 v tabulce není: prvních 1 MiB tabulky má %2."_s.arg(row).arg(
        counted(rows, u"řádek", u"řádky", u"řádků"));
}

QString headerRowWithoutHeader()
{
    return u"Volby --radek-hlavicky a --bez-hlavicky se vylučují."_s;
}

QString columnMissing(const QString &name, const QStringList &headers)
{
    return u"Sloupec %1 v tabulce není. Sloupce: %2."_s.arg(quoted(name), columnList(headers));
}

QString columnNumberMissing(const QString &name, int columns)
{
    return u"Sloupec %1 v tabulce není: první řádek má %2."_s.arg(
        quoted(name), counted(columns, u"sloupec", u"sloupce", u"sloupců"));
}

QString columnTwice(const QString &name, const QList<int> &columns)
{
    return u"Sloupec %1 je v hlavičce víckrát (sloupce %2): zadejte ten pravý číslem."_s.arg(
        quoted(name), numbers(columns));
}

QString noAreaColumn(const QStringList &headers, const ChoiceNames &names)
{
    return u"V hlavičce tabulky není sloupec s výměrou: zadejte jej %1. Sloupce: %2."_s.arg(
        names.areaColumn, columnList(headers));
}

QString firstRowLooksLikeData(const ChoiceNames &names)
{
    return u" První řádek vypadá jako data: nemá-li tabulka hlavičku, zadejte to %1 a sloupec "
           "s výměrou %2."_s.arg(names.noHeader, names.areaColumnByNumber);
}

QString headerLooksLater(qint64 row, const ChoiceNames &names)
{
    return u" Hlavička je zřejmě až na řádku %1: zadejte ji %2."_s.arg(row).arg(
        names.headerRow.arg(row));
}

QString manyAreaColumns(const QStringList &headers, const QList<int> &columns,
                        const ChoiceNames &names)
{
    return u"V hlavičce tabulky je víc sloupců s výměrou (sloupce %1): zadejte ten pravý %2, "
           "druhý případně %3. Sloupce: %4."_s.arg(numbers(columns), names.areaColumn,
                                                   names.compareColumn, columnList(headers));
}

QString onlyAreaColumnCompared(const QString &header, const ChoiceNames &names)
{
    return u"Jediný sloupec s výměrou, %1, je zadán k porovnání: sloupec s výměrou řádku zadejte "
           "%2."_s.arg(quoted(header), names.areaColumn);
}

QString sameColumnTwice(int column)
{
    return u"Sloupec s výměrou a sloupec k porovnání jsou týž sloupec (%1): porovnávaná výměra "
           "musí být v jiném sloupci."_s.arg(column + 1);
}

QString areaColumnIsChoice(int column, RowChoice choice)
{
    const bool scale = choice == RowChoice::Scale, method = choice == RowChoice::Method;
    return u"Sloupec s výměrou a sloupec %1 jsou týž sloupec (%2): %3 musí být v jiném sloupci."_s
        .arg(scale    ? u"s měřítkem mapy"_s
             : method ? u"se způsobem výpočtu"_s
                      : u"s kódem kvality"_s)
        .arg(column + 1)
        .arg(scale    ? u"měřítko"_s
             : method ? u"způsob"_s
                      : u"kód kvality"_s);
}

QString otherUnit(const QString &header, const QString &unit)
{
    const QString key = foldedKey(unit);
    const QString in = key == u"ha" || key.startsWith(u"hektar") ? u"v hektarech (ha)"_s
                       : key == u"a" || key.startsWith(u"ar")    ? u"v arech (a)"_s
                                                                 : u"v jednotce "_s + unit;
    return u"Sloupec %1 uvádí výměry %2: program počítá s výměrami v m², převeďte je na m²."_s.arg(
        quoted(header), in);
}

QString noHeaderManyColumns(int columns, const ChoiceNames &names)
{
    return u"Tabulka bez hlavičky má %1: zadejte sloupec s výměrou %2."_s.arg(
        counted(columns, u"sloupec", u"sloupce", u"sloupců"), names.areaColumnByNumber);
}

} // namespace mezni::tabletexts
