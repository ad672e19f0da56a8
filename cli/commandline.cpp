#include "commandline.h"

#include "evaluation.h"
#include "numbers.h"
#include "resulttexts.h"
#include "table.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <map>

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

const QString program = u"mezni-odchylka"_s;

void write(QIODevice &device, const QString &text)
{
    device.write(text.toUtf8());
}

// Option values as typed, with or without diacritics: "Číselně" → "ciselne", "UTF-8" → "utf-8".
QString plain(const QString &text)
{
    return foldedKey(text, u":-");
}

// "-100", "-2500,5" or "−0.5" is an area, not an option.
bool isNegativeNumber(const QString &argument)
{
    return argument.size() > 1 && (argument[0] == u'-' || argument[0] == u'\u2212') &&
           (argument[1].isDigit() || argument[1] == u',' || argument[1] == u'.');
}

class OutputSink final : public TableSink
{
public:
    explicit OutputSink(QIODevice &out) : m_out(out) { m_buffer.reserve(1 << 18); }
    ~OutputSink() override { flush(); }
    void passThrough(std::string_view bytes) override { add(bytes); }
    void appended(std::string_view bytes) override { add(bytes); }
    void flush()
    {
        m_out.write(m_buffer.data(), qint64(m_buffer.size()));
        m_buffer.clear();
    }

private:
    void add(std::string_view bytes)
    {
        m_buffer += bytes;
        if (m_buffer.size() >= (1 << 18))
            flush();
    }
    QIODevice &m_out;
    std::string m_buffer;
};

struct Usage
{
    QString error;
};

qint32 methodCode(const QString &value, Usage &usage)
{
    const QString v = plain(value);
    if (v == u"ciselne" || v == u"ciselny" || v == u"1")
        return 1;
    if (v == u"graficky" || v == u"graficke" || v == u"0")
        return 0;
    usage.error = u"Neznámý způsob výpočtu „%1“: zadejte ciselne nebo graficky."_s.arg(value);
    return 1;
}

qint32 mapCode(const QString &value, Usage &usage)
{
    static const std::map<QString, qint32> scales{{u"1000"_s, 0}, {u"1250"_s, 1}, {u"1440"_s, 1},
                                                  {u"2000"_s, 2}, {u"2500"_s, 3}, {u"2880"_s, 3},
                                                  {u"5000"_s, 4}};
    QString v = value.trimmed();
    if (v.startsWith(u"1:"_s))
        v = v.mid(2).trimmed();
    if (const auto found = scales.find(v); found != scales.end())
        return found->second;
    usage.error = u"Neznámé měřítko mapy „%1“: zadejte 1000, 1250, 1440, 2000, 2500, 2880 nebo "
                  "5000 (s „1:“ nebo bez)."_s.arg(value);
    return 0;
}

std::optional<char> delimiterNamed(const QString &value, Usage &usage)
{
    const QString v = plain(value);
    if (value == u";" || v == u"strednik")
        return ';';
    if (value == u"," || v == u"carka")
        return ',';
    if (value == u"\t" || value == u"\\t" || v == u"tabulator" || v == u"tab")
        return '\t';
    usage.error = u"Neznámý oddělovač „%1“: zadejte strednik, carka nebo tabulator."_s.arg(value);
    return std::nullopt;
}

std::optional<TableEncoding> encodingNamed(const QString &value, Usage &usage)
{
    const QString v = plain(value);
    if (v == u"utf-8" || v == u"utf8")
        return TableEncoding::Utf8;
    if (v == u"windows-1250" || v == u"cp1250" || v == u"windows1250")
        return TableEncoding::Windows1250;
    usage.error = u"Neznámé kódování „%1“: zadejte utf-8 nebo windows-1250."_s.arg(value);
    return std::nullopt;
}

QString examples()
{
    return u"\nPříklady:\n"
           "  mezni-odchylka                          otevře okno\n"
           "  mezni-odchylka 2500                     jedna výměra (1:1000, číselně)\n"
           "  mezni-odchylka -m 1:2880 -z graficky 1250 2500,5\n"
           "                                          více výměr najednou\n"
           "  mezni-odchylka -s parcely.csv > vysledky.csv\n"
           "                                          celá tabulka (CSV z Excelu či LibreOffice)\n"
           "  mezni-odchylka -s mereni.csv --sloupec Výměra --porovnat \"Nová výměra\"\n"
           "                                          tabulka s posouzením nové výměry\n"
           "\nNávratový kód: 0 vše spočteno, 1 některou výměru nebo řádek nešlo spočítat,\n"
           "2 chybné volání (volba, hodnota, soubor, sloupec); tehdy se nic nevypíše.\n"_s;
}

int computeAreas(const QStringList &areas, qint32 zpusob, qint32 mapa, QIODevice &out,
                 QIODevice &err, const QLocale &locale)
{
    const NumberFormat numbers(locale);
    int status = AllComputed;
    QString text;
    for (const QString &area : areas) {
        const Evaluation e = evaluateText(area.trimmed(), zpusob, mapa, numbers);
        if (e.kind != Evaluation::Kind::Results) {
            const QString message =
                e.kind == Evaluation::Kind::Nothing ? u"Chybí výměra"_s : e.message;
            write(err, u"%1: „%2“: %3\n"_s.arg(program, area, message));
            status = SomeFailed;
            continue;
        }
        if (!text.isEmpty())
            text += u'\n';
        text += captions::area() + u' ' + area.trimmed() + u'\n';
        for (const QString &line : resultLines(e.figures, numbers))
            text += line + u'\n';
    }
    write(out, text);
    return status;
}

int computeTable(const QString &path, const TableOptions &options, QIODevice &in, QIODevice &out,
                 QIODevice &err, const QLocale &locale)
{
    QFile file(path);
    QIODevice *source = &in;
    if (path != u"-") {
        if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
            write(err, u"%1: soubor „%2“ nelze otevřít: %3\n"_s.arg(
                           program, path,
                           QFileInfo(path).isDir() ? u"je to složka"_s : file.errorString()));
            return UsageError;
        }
        source = &file;
    }
    OutputSink sink(out);
    const TableResult result = processTable(*source, sink, options, locale);
    if (!result.usageError.isEmpty()) {
        write(err, u"%1: %2\n"_s.arg(program, result.usageError));
        return UsageError;
    }
    sink.flush();
    const TableSummary &s = result.summary;
    QString summary =
        u"%1: spočteno řádků: %2, s chybou: %3"_s.arg(program).arg(s.computed).arg(s.failed);
    if (s.failed > 0) {
        QStringList lines;
        for (const qint64 line : s.firstFailedLines)
            lines += QString::number(line);
        summary += u" (řádek %1%2)"_s.arg(
            lines.join(u", "_s), s.failed > s.firstFailedLines.size() ? u", …"_s : QString());
    }
    write(err, summary + u'\n');
    return s.failed > 0 ? SomeFailed : AllComputed;
}

} // namespace

int runCommandLine(const QStringList &arguments, QIODevice &in, QIODevice &out, QIODevice &err,
                   const QLocale &locale)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Mezní odchylka výměry parcely: δ = k · √|výměra| + q, její dvojnásobek a mezní hodnoty "
        "MIN a MAX.\nBez argumentů otevře okno; s výměrami nebo tabulkou počítá bez okna."_s);
    // Qt's own help options would bring English texts and Qt's options along.
    const QCommandLineOption help({u"h"_s, u"help"_s, u"?"_s}, u"Zobrazí tuto nápovědu."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"Zobrazí verzi programu."_s);
    const QCommandLineOption zpusob(
        {u"z"_s, u"zpusob"_s},
        u"Jak byla výměra určena: ciselne (číselně v porovnání s výměrou určenou graficky, "
        "výchozí) nebo graficky (nezávisle dvakrát graficky)."_s,
        u"ciselne|graficky"_s, u"ciselne"_s);
    const QCommandLineOption mapa(
        {u"m"_s, u"mapa"_s},
        u"Měřítko mapy: 1000, 1250, 1440, 2000, 2500, 2880 nebo 5000, s „1:“ nebo bez "
        "(výchozí 1000)."_s,
        u"měřítko"_s, u"1000"_s);
    const QCommandLineOption soubor(
        {u"s"_s, u"soubor"_s},
        u"Tabulka parcel (CSV); „-“ je standardní vstup. Vypíše ji s připojenými sloupci "
        "Mezní odchylka, Dvojnásobek mezní odchylky, MIN, MAX, (V mezích,) Chyba."_s,
        u"soubor"_s);
    const QCommandLineOption sloupec(
        u"sloupec"_s,
        u"Sloupec tabulky s výměrou, názvem nebo číslem od 1 (výchozí: sloupec, jehož název "
        "říká, že je to výměra)."_s,
        u"název|číslo"_s);
    const QCommandLineOption porovnat(
        u"porovnat"_s,
        u"Druhý sloupec s výměrou (např. nově změřenou): sloupec V mezích řekne ano, leží-li "
        "v mezích [MIN, MAX] výměry řádku, jinak ne."_s,
        u"název|číslo"_s);
    const QCommandLineOption bezHlavicky(u"bez-hlavicky"_s,
                                         u"První řádek tabulky jsou data, ne názvy sloupců."_s);
    const QCommandLineOption oddelovac(
        u"oddelovac"_s, u"Oddělovač polí tabulky místo zjištěného z prvního řádku."_s,
        u"strednik|carka|tabulator"_s);
    const QCommandLineOption kodovani(
        u"kodovani"_s,
        u"Kódování tabulky místo zjištěného (značka BOM, platné UTF-8, jinak Windows-1250)."_s,
        u"utf-8|windows-1250"_s);
    // The options that take a value consume the next argument, even one that looks like an area.
    QStringList takesValue;
    for (const QCommandLineOption &o : {help, version, zpusob, mapa, soubor, sloupec, porovnat,
                                        bezHlavicky, oddelovac, kodovani}) {
        parser.addOption(o);
        for (const QString &name : o.names())
            if (!o.valueName().isEmpty())
                takesValue += (name.size() == 1 ? u"-"_s : u"--"_s) + name;
    }
    parser.addPositionalArgument(u"výměra"_s, u"Výměra parcely v m², jedna nebo více."_s,
                                 u"[výměra…]"_s);

    // Areas are set aside, so that a negative one is not taken for an option.
    QStringList options{arguments.value(0, program)};
    QStringList areas;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == u"--") {
            areas += arguments.mid(i + 1);
            break;
        }
        if (takesValue.contains(a)) {
            options += a;
            if (i + 1 < arguments.size())
                options += arguments[++i];
        } else if (a.size() > 1 && a.startsWith(u'-') && !isNegativeNumber(a)) {
            options += a;
        } else {
            areas += a;
        }
    }

    const auto usageError = [&](const QString &message) {
        write(err, u"%1: %2\nNápověda: %1 --help\n"_s.arg(program, message));
        return int(UsageError);
    };
    if (!parser.parse(options))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        // The usage line names the program as typed, not by its full path.
        text.replace(QCoreApplication::arguments().value(0, program), program);
        write(out, text + examples());
        return AllComputed;
    }
    if (parser.isSet(version)) {
        write(out, u"%1 %2\n"_s.arg(program, QCoreApplication::applicationVersion()));
        return AllComputed;
    }

    Usage usage;
    TableOptions table;
    table.lngZpusob = methodCode(parser.value(zpusob), usage);
    table.lngMapa = mapCode(parser.value(mapa), usage);
    if (parser.isSet(oddelovac))
        table.delimiter = delimiterNamed(parser.value(oddelovac), usage);
    if (parser.isSet(kodovani))
        table.encoding = encodingNamed(parser.value(kodovani), usage);
    if (!usage.error.isEmpty())
        return usageError(usage.error);

    if (!parser.isSet(soubor)) {
        for (const QCommandLineOption &o : {sloupec, porovnat, bezHlavicky, oddelovac, kodovani})
            if (parser.isSet(o))
                return usageError(
                    u"Volba --%1 platí jen pro tabulku (--soubor)."_s.arg(o.names().constLast()));
        if (areas.isEmpty())
            return usageError(u"Zadejte výměru, nebo tabulku volbou --soubor."_s);
        return computeAreas(areas, table.lngZpusob, table.lngMapa, out, err, locale);
    }
    if (!areas.isEmpty())
        return usageError(u"Zadejte buď výměry, nebo tabulku (--soubor), ne obojí."_s);
    table.areaColumn = parser.value(sloupec);
    table.compareColumn = parser.value(porovnat);
    table.noHeader = parser.isSet(bezHlavicky);
    return computeTable(parser.value(soubor), table, in, out, err, locale);
}

} // namespace mezni
