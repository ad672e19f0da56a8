#include "commandline.h"

#include "checkedoutput.h"
#include "choices.h"
#include "evaluation.h"
#include "files.h"
#include "numbers.h"
#include "program.h"
#include "qualityrule.h"
#include "resulttexts.h"
#include "standardstreams.h"
#include "table.h"
#include "tablefile.h"
#include "tabletexts.h"
#include "utf16.h"
#include "workbook.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <variant>

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

QString programName()
{
    return program::name.toString();
}

void write(QIODevice &device, const QString &text)
{
    device.write(textBytes(device, text));
}

// Text for people through the checked output, as its device's reader takes it.
void write(CheckedOutput &out, const QString &text)
{
    const QByteArray bytes = textBytes(out.device(), text);
    out.write(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

// A usage error: what is wrong, and where the help is.
int usageError(QIODevice &err, const QString &message)
{
    write(err, u"%1: %2\nNápověda: %1 --help\n"_s.arg(programName(), message));
    return UsageError;
}

// Option values as typed, with or without diacritics: "Číselně" → "ciselne", "UTF-8" → "utf-8".
QString plain(const QString &text)
{
    return foldedKey(text, u":-");
}

// A file name as the user can type it back: quoted where a shell would split it.
QString shellWord(const QString &name)
{
    static const QRegularExpression plainWord(u"^[\\w./:\\\\+,=@%-]+$"_s);
    return plainWord.match(name).hasMatch() ? name : u'"' + name + u'"';
}

// "-100", "-2500,5" or "−0.5" is an area, not an option.
bool isNegativeNumber(const QString &argument)
{
    return argument.size() > 1 && (argument[0] == u'-' || argument[0] == u'\u2212') &&
           (argument[1].isDigit() || argument[1] == u',' || argument[1] == u'.');
}

// How a usage error of a table names what to change: by the options.
tabletexts::ChoiceNames optionNames()
{
    return {u"volbou --sloupec"_s,
            u"číslem volbou --sloupec"_s,
            u"volbou --porovnat"_s,
            u"volbou --bez-hlavicky"_s,
            u"volbou --radek-hlavicky %1"_s,
            u"volbou --oddelovac '%1'"_s,
            u"volbou --kodovani"_s,
            u"volbou --desetinna carka nebo --desetinna tecka"_s,
            u"volbou --sloupec-meritka, nebo měřítko všech řádků volbou -m"_s,
            u"volbou --sloupec-zpusobu, nebo způsob všech řádků volbou -z"_s,
            u"volbou --list '%1'"_s};
}

// The options, declared once.
struct Options
{
    QCommandLineParser parser;
    // Qt's own help options would bring English texts and Qt's options along.
    const QCommandLineOption help{{u"h"_s, u"help"_s, u"?"_s}, u"Zobrazí tuto nápovědu."_s};
    const QCommandLineOption version{{u"v"_s, u"version"_s}, u"Zobrazí verzi programu."_s};
    const QCommandLineOption zpusob{
        {u"z"_s, u"zpusob"_s},
        u"Jak byla výměra určena: ciselne (číselně v porovnání s výměrou určenou graficky, "
        "výchozí) nebo graficky (nezávisle dvakrát graficky)."_s,
        u"ciselne|graficky"_s,
        u"ciselne"_s};
    const QCommandLineOption mapa{
        {u"m"_s, u"mapa"_s},
        u"Měřítko mapy: %1, s „1:“ nebo bez (výchozí 1000)."_s.arg(scaleList()),
        u"měřítko"_s,
        u"1000"_s};
    const QCommandLineOption soubor{
        {u"s"_s, u"soubor"_s},
        u"Tabulka parcel (CSV nebo sešit .xlsx či .ods); „-“ je standardní vstup. Vypíše ji "
        "s připojenými sloupci Mezní odchylka, Dvojnásobek mezní odchylky, MIN, MAX, "
        "(V mezích,) Chyba."_s,
        u"soubor"_s};
    const QCommandLineOption sloupec{
        u"sloupec"_s,
        u"Sloupec tabulky s výměrou, názvem nebo číslem od 1 (výchozí: sloupec, jehož název "
        "říká, že je to výměra)."_s,
        u"název|číslo"_s};
    const QCommandLineOption kodKvality{
        {u"k"_s, u"kod-kvality"_s},
        u"Počítá podle kódu kvality nejméně přesně určeného lomového bodu hranice parcely "
        "(3 až 8, katastrální vyhláška 357/2013 Sb., příloha bod 14.9) místo měřítka a způsobu: "
        "δ = k · √P + q, P je větší z porovnávaných výměr; bez dvojnásobku."_s,
        u"3–8"_s};
    const QCommandLineOption porovnat{
        u"porovnat"_s,
        u"S tabulkou druhý sloupec s výměrou (např. nově změřenou): sloupec V mezích řekne ano, "
        "leží-li v mezích [MIN, MAX] výměry řádku, jinak ne. S výměrami druhá výměra (např. nově "
        "určená), s níž se porovná každá z nich."_s,
        u"sloupec|výměra"_s};
    const QCommandLineOption bezHlavicky{u"bez-hlavicky"_s,
                                         u"První řádek tabulky jsou data, ne názvy sloupců."_s};
    const QCommandLineOption oddelovac{
        u"oddelovac"_s,
        u"Oddělovač polí tabulky místo zjištěného z prvního řádku: strednik, carka, tabulator "
        "nebo jiný znak (např. '|')."_s,
        u"strednik|carka|tabulator|znak"_s};
    const QCommandLineOption kodovani{
        u"kodovani"_s,
        u"Kódování tabulky místo zjištěného (značka BOM, platné UTF-8, jinak Windows-1250)."_s,
        u"utf-8|windows-1250"_s};
    const QCommandLineOption desetinna{
        u"desetinna"_s,
        u"Desetinný oddělovač čísel tabulky: carka nebo tecka (výchozí: jaký mají čísla "
        "tabulky, u tabulky se středníky čárka, jinak podle místního nastavení)."_s,
        u"carka|tecka"_s};
    const QCommandLineOption radekHlavicky{
        u"radek-hlavicky"_s,
        u"Na kterém řádku tabulky je hlavička (výchozí 1); řádky nad ní (nadpisy) projdou "
        "beze změny."_s,
        u"číslo"_s};
    const QCommandLineOption vystup{
        {u"o"_s, u"vystup"_s},
        u"Výsledky zapíše do souboru místo na standardní výstup (soubor se nahradí až "
        "po úspěšném zápisu); „-“ je standardní výstup."_s,
        u"soubor"_s};
    const QCommandLineOption list{
        u"list"_s, u"List sešitu (.xlsx, .ods), názvem nebo číslem od 1 (výchozí: první)."_s,
        u"název|číslo"_s};
    const QCommandLineOption sloupecMeritka{
        u"sloupec-meritka"_s,
        u"Sloupec s měřítkem mapy každého řádku (1:2880, 2880 nebo 1 : 2 880) místo -m."_s,
        u"název|číslo"_s};
    const QCommandLineOption sloupecKodu{
        u"sloupec-kodu"_s,
        u"Sloupec s kódem kvality každého řádku (3 až 8) místo -k: počítá podle kódu kvality."_s,
        u"název|číslo"_s};
    const QCommandLineOption sloupecZpusobu{
        u"sloupec-zpusobu"_s,
        u"Sloupec se způsobem výpočtu každého řádku (číselně nebo graficky, 1 nebo 0) místo -z."_s,
        u"název|číslo"_s};
    const QCommandLineOption okno{
        u"okno"_s, u"Otevře okno, s tabulkami v okně tabulky (tak program spouští plocha)."_s};
    const QList<QCommandLineOption> all{
        help,     version,        zpusob,         mapa,        soubor,    sloupec,       kodKvality,
        porovnat, bezHlavicky,    oddelovac,      kodovani,    desetinna, radekHlavicky, vystup,
        list,     sloupecMeritka, sloupecZpusobu, sloupecKodu, okno};
    const QList<QCommandLineOption> tableOnly{
        sloupec,       bezHlavicky, oddelovac,      kodovani,       desetinna,
        radekHlavicky, list,        sloupecMeritka, sloupecZpusobu, sloupecKodu};

    Options()
    {
        parser.setApplicationDescription(
            u"Mezní odchylka výměry parcely: δ = k · √|výměra| + q, její dvojnásobek a mezní "
            "hodnoty MIN a MAX (k a q podle měřítka mapy a způsobu určení výměry), nebo "
            "volbou -k mezní odchylka a mezní hodnoty podle kódu kvality.\nBez argumentů otevře "
            "okno; s výměrami nebo tabulkou počítá bez okna."_s);
        for (const QCommandLineOption &o : all)
            parser.addOption(o);
        parser.addPositionalArgument(u"výměra"_s, u"Výměra parcely v m², jedna nebo více."_s,
                                     u"[výměra…]"_s);
    }
};

QString examples()
{
    return u"\nPříklady:\n"
           "  %1                          otevře okno\n"
           "  %1 2500                     jedna výměra (1:1000, číselně)\n"
           "  %1 -m 1:2880 -z graficky 1250 2500,5\n"
           "                                          více výměr najednou\n"
           "  %1 -k 8 100                 podle kódu kvality 8: MIN 60,0, MAX 144,0\n"
           "  %1 -k 6 2500 --porovnat 2512,5\n"
           "                                          porovnání evidované a nově určené výměry\n"
           "  %1 -s parcely.csv > vysledky.csv\n"
           "                                          celá tabulka (CSV z Excelu či LibreOffice)\n"
           "  %1 -s parcely.csv -o vysledky.csv\n"
           "                                          totéž do souboru (např. v PowerShellu)\n"
           "  %1 -s mereni.csv --sloupec Výměra --porovnat \"Nová výměra\"\n"
           "                                          tabulka s posouzením nové výměry\n"
           "  %1 -s parcely.xlsx -o vysledky.xlsx\n"
           "                                          sešit Excelu či LibreOffice (.xlsx, .ods)\n"
           "  %1 -s zakazka.csv --sloupec-meritka Měřítko\n"
           "                                          měřítko z tabulky, na každém řádku jiné\n"
           "  %1 --okno parcely.csv       tabulka v okně\n"
           "\nNávratový kód: 0 vše spočteno, 1 některou výměru nebo řádek nešlo spočítat,\n"
           "2 chybné volání (volba, hodnota, soubor, sloupec; tehdy se nic nevypíše),\n"
           "3 okno nelze otevřít (bez argumentů a bez displeje), 4 výstup nelze zapsat\n"
#ifdef Q_OS_WIN
           "(plný disk, zavřený výstup, roura, jejíž čtenář skončil).\n"_s
#else
           "(plný disk, zavřený výstup; roura, jejíž čtenář skončil, jen kde je signál\n"
           "SIGPIPE ignorován, jinak program ukončí systém jako jiné nástroje: kód 141).\n"_s
#endif
               .arg(programName());
}

// What the command line asks for, parsed; its values checked.
struct Request
{
    enum class Kind { Help, Version, Areas, Table } kind = Kind::Areas;
    QStringList areas;
    std::optional<qint32> qualityCode; // -k: the rule by quality code
    QString comparedText;              // --porovnat with areas, as typed
    double compared = -1;              // and as read
    QString table;                     // the path, "-" for standard input
    std::optional<QString> output;     // -o
    TableOptions options;
};

std::optional<char> delimiterNamed(const QString &value, QString &error)
{
    const QString v = plain(value);
    if (v == u"strednik")
        return ';';
    if (v == u"carka")
        return ',';
    if (value == u"\\t" || v == u"tabulator" || v == u"tab")
        return '\t';
    // Any other single character a spreadsheet lets the user choose: "|", ":", "/".
    if (value.size() == 1 && value[0].unicode() < 0x80 && isDelimiter(char(value[0].unicode())))
        return char(value[0].unicode());
    error = u"Neznámý oddělovač %1: zadejte strednik, carka, tabulator nebo jeden znak ASCII, "
            "který není uvozovka, písmeno, číslice ani mezera."_s.arg(quoted(value));
    return std::nullopt;
}

std::optional<DecimalMark> decimalNamed(const QString &value, QString &error)
{
    const QString v = plain(value);
    if (value == u"," || v == u"carka")
        return DecimalMark::Comma;
    if (value == u"." || v == u"tecka")
        return DecimalMark::Point;
    error = u"Neznámý desetinný oddělovač %1: zadejte carka nebo tecka."_s.arg(quoted(value));
    return std::nullopt;
}

std::optional<qint64> headerRowNamed(const QString &value, QString &error)
{
    bool ok = false;
    const qint64 row = value.trimmed().toLongLong(&ok);
    if (ok && row >= 1 && row <= 1000)
        return row;
    error = u"Řádek hlavičky %1 není číslo od 1 do 1000."_s.arg(quoted(value));
    return std::nullopt;
}

std::optional<TableEncoding> encodingNamed(const QString &value, QString &error)
{
    const QString v = plain(value);
    if (v == u"utf-8" || v == u"utf8")
        return TableEncoding::Utf8;
    if (v == u"windows-1250" || v == u"cp1250" || v == u"windows1250")
        return TableEncoding::Windows1250;
    error = u"Neznámé kódování %1: zadejte utf-8 nebo windows-1250."_s.arg(quoted(value));
    return std::nullopt;
}

// The arguments as a request, or the usage error. The locale reads an area given to compare.
std::variant<Request, QString> parse(Options &o, const QStringList &arguments,
                                     const QLocale &locale)
{
    // Areas are set aside, so that a negative one is not taken for an option; the options that
    // take a value consume the next argument, even one that looks like an area.
    QStringList takesValue;
    for (const QCommandLineOption &option : o.all)
        for (const QString &name : option.names())
            if (!option.valueName().isEmpty())
                takesValue += (name.size() == 1 ? u"-"_s : u"--"_s) + name;
    QStringList options{arguments.value(0, programName())};
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
        } else if (a == u"/?") { // what Windows users type for help
            options += u"--help"_s;
        } else if (a.size() > 1 && a.startsWith(u'-') && !isNegativeNumber(a)) {
            options += a;
        } else {
            areas += a;
        }
    }

    QCommandLineParser &p = o.parser;
    if (!p.parse(options)) {
        // Qt's messages quote with apostrophes; ours with Czech quotes.
        static const QRegularExpression apostrophes(u"'([^']*)'"_s);
        return p.errorText().replace(apostrophes, u"„\\1“"_s);
    }
    for (const QCommandLineOption &option : o.all)
        if (!option.valueName().isEmpty() && p.values(option).size() > 1)
            return u"Volba --%1 je zadána víckrát: program zpracuje jedno zadání najednou."_s.arg(
                option.names().constLast());

    Request r;
    if (p.isSet(o.help)) {
        r.kind = Request::Kind::Help;
        return r;
    }
    if (p.isSet(o.version)) {
        r.kind = Request::Kind::Version;
        return r;
    }
    QString error;
    TableOptions &t = r.options;
    t.names = optionNames();
    if (const std::optional<qint32> code = methodOf(p.value(o.zpusob)))
        t.method = methodOfCode(*code);
    else
        return u"Neznámý způsob výpočtu %1: zadejte ciselne nebo graficky."_s.arg(
            quoted(p.value(o.zpusob)));
    if (const std::optional<qint32> code = mapClassOf(p.value(o.mapa)))
        t.mapClass = mapClassOfCode(*code);
    else
        return u"Neznámé měřítko mapy %1: zadejte %2 (s „1:“ nebo bez)."_s.arg(
            quoted(p.value(o.mapa)), scaleList());
    if (p.isSet(o.oddelovac) && !(t.delimiter = delimiterNamed(p.value(o.oddelovac), error)))
        return error;
    if (p.isSet(o.kodovani) && !(t.encoding = encodingNamed(p.value(o.kodovani), error)))
        return error;
    if (p.isSet(o.desetinna) && !(t.decimal = decimalNamed(p.value(o.desetinna), error)))
        return error;
    if (p.isSet(o.radekHlavicky) &&
        !(t.headerRow = headerRowNamed(p.value(o.radekHlavicky), error)))
        return error;
    if (p.isSet(o.vystup))
        r.output = p.value(o.vystup);
    if (p.isSet(o.kodKvality)) {
        r.qualityCode = qualityCodeOf(p.value(o.kodKvality));
        if (!r.qualityCode)
            return messages::unknownQualityCode(p.value(o.kodKvality)) + u'.';
        if (p.isSet(o.sloupecKodu))
            return u"Zadejte kód kvality buď volbou -k, nebo sloupcem (--sloupec-kodu)."_s;
    }
    // The rule by quality code is another rule than the map scale and the method.
    for (const QCommandLineOption *code : {&o.kodKvality, &o.sloupecKodu}) {
        if (!p.isSet(*code))
            continue;
        for (const QCommandLineOption *other :
             {&o.mapa, &o.zpusob, &o.sloupecMeritka, &o.sloupecZpusobu})
            if (p.isSet(*other))
                return u"Kód kvality (--%1) je jiné pravidlo než měřítko mapy a způsob určení "
                       "výměry: volbu --%2 s ním nezadávejte."_s.arg(code->names().constLast(),
                                                                     other->names().constLast());
    }

    if (!p.isSet(o.soubor)) {
        for (const QCommandLineOption &option : o.tableOnly)
            if (p.isSet(option))
                return u"Volba --%1 platí jen pro tabulku (--soubor)."_s.arg(
                    option.names().constLast());
        if (areas.isEmpty())
            return u"Zadejte výměru, nebo tabulku volbou --soubor."_s;
        r.areas = areas;
        if (p.isSet(o.porovnat)) {
            r.comparedText = p.value(o.porovnat).trimmed();
            const AreaReading reading = readArea(r.comparedText, NumberFormat(locale));
            if (!reading.area)
                return u"Porovnávaná výměra %1: %2."_s.arg(
                    quoted(r.comparedText),
                    reading.message.isEmpty() ? u"Chybí výměra"_s : reading.message);
            if (*reading.area < 0)
                return messages::negativeCompared() + u'.';
            r.compared = *reading.area;
        }
        return r;
    }
    if (!areas.isEmpty())
        return u"Zadejte buď výměry, nebo tabulku (--soubor), ne obojí."_s;
    if (p.isSet(o.mapa) && p.isSet(o.sloupecMeritka))
        return u"Zadejte měřítko buď volbou --mapa, nebo sloupcem (--sloupec-meritka)."_s;
    if (p.isSet(o.zpusob) && p.isSet(o.sloupecZpusobu))
        return u"Zadejte způsob buď volbou --zpusob, nebo sloupcem (--sloupec-zpusobu)."_s;
    r.kind = Request::Kind::Table;
    r.table = p.value(o.soubor);
    t.sheet = p.value(o.list);
    t.scaleColumn = p.value(o.sloupecMeritka);
    t.methodColumn = p.value(o.sloupecZpusobu);
    // Given for all rows: a column whose header says scale or method is not read then.
    t.scaleGiven = p.isSet(o.mapa);
    t.methodGiven = p.isSet(o.zpusob);
    t.qualityCode = r.qualityCode;
    t.codeColumn = p.value(o.sloupecKodu);
    t.areaColumn = p.value(o.sloupec);
    t.compareColumn = p.value(o.porovnat);
    t.noHeader = p.isSet(o.bezHlavicky);
    return r;
}

// The lines of one area by the rule asked for, or its message.
std::variant<QStringList, QString> areaLines(const Request &r, const QString &area,
                                             const NumberFormat &numbers)
{
    const bool comparing = !r.comparedText.isEmpty();
    if (!r.qualityCode) {
        QStringList lines{captions::area() + u' ' + area};
        const Evaluation e =
            evaluateText(area, codeOf(r.options.method), codeOf(r.options.mapClass), numbers);
        if (e.kind != Evaluation::Kind::Results)
            return e.kind == Evaluation::Kind::Nothing ? u"Chybí výměra"_s : e.message;
        for (const QString &line : resultLines(e.figures, numbers))
            lines += line;
        if (comparing) {
            // Judged against the bounds as printed, as a table's verdict is.
            const bool within = shownOneDecimal(e.figures.min) <= r.compared &&
                                r.compared <= shownOneDecimal(e.figures.max);
            lines += {captions::comparedLabel.toString() + u' ' + r.comparedText,
                      captions::withinLabel.toString() + u' ' + verdictWord(within)};
        }
        return lines;
    }
    const AreaReading reading = readArea(area, numbers);
    if (!reading.area)
        return reading.message.isEmpty() ? u"Chybí výměra"_s : reading.message;
    const QualityEvaluation e =
        comparing ? evaluateQualityAreas(*reading.area, r.compared, *r.qualityCode)
                  : evaluateQualityArea(*reading.area, *r.qualityCode);
    if (e.kind != Evaluation::Kind::Results)
        return e.message;
    return qualityLines(area, r.comparedText, e, numbers);
}

// Each area's results to out, a bad area's message to err, in the order of the areas (on a
// console and in one file alike): out is flushed before a message.
int computeAreas(const Request &r, CheckedOutput &out, QIODevice &err, const QLocale &locale)
{
    const NumberFormat numbers(locale);
    int status = AllComputed;
    bool first = true;
    for (const QString &area : r.areas) {
        const std::variant<QStringList, QString> result = areaLines(r, area.trimmed(), numbers);
        if (const QString *error = std::get_if<QString>(&result)) {
            QString message = *error;
            // A table given without -s.
            if (message == messages::notNumber() && QFileInfo(area).isFile())
                message += u". %1 je soubor: tabulku spočítá %2 -s %3"_s.arg(
                    quoted(area), programName(), shellWord(area));
            out.flush();
            write(err, u"%1: %2: %3\n"_s.arg(programName(), quoted(area), message));
            status = SomeFailed;
            continue;
        }
        QString text = std::exchange(first, false) ? QString() : u"\n"_s;
        for (const QString &line : std::get<QStringList>(result))
            text += line + u'\n';
        write(out, text);
    }
    return status;
}

// Sets a console to the table's encoding once the pipeline has decided it, before any byte.
class ConsoleEncoding final : public TableObserver
{
public:
    explicit ConsoleEncoding(QIODevice &device) : m_device(device) {}
    void started(const TableResult &plan) override
    {
        setConsoleText(m_device, plan.format.encoding == TableEncoding::Windows1250
                                     ? ConsoleText::Windows1250
                                     : ConsoleText::Utf8);
    }
    bool record(const Record &, Kind, const RowCells *) override { return true; }
    void pendingAreRows(const RowCells &) override {}

private:
    QIODevice &m_device;
};

// The table to out; what was computed into summary, to be said once the output is complete.
int computeTable(const Request &r, QIODevice &in, CheckedOutput &out, QString &summary,
                 QIODevice &err, const QLocale &locale)
{
    QIODevice &outDevice = out.device();
    QFile file(r.table);
    QIODevice *source = &in;
    if (r.table != u"-") {
        if (const QString why = openTable(file); !why.isEmpty()) {
            write(err,
                  u"%1: soubor %2 nelze otevřít: %3\n"_s.arg(programName(), quoted(r.table), why));
            return UsageError;
        }
        source = &file;
    }
    // As cat does: writing into the table being read would never end; "> table" has emptied the
    // file before the program ever ran.
    if (sameFile(*source, outDevice)) {
        write(err, u"%1: %2\n"_s.arg(programName(), outputIsTheTable(source->size() == 0)));
        return UsageError;
    }
    TableOptions options = r.options;
    // Added texts a terminal can show where the table's bytes leave the encoding open; a
    // workbook is no text for one. A terminal shows the table decoded from its own
    // encoding, as the pipeline decides it.
    ConsoleEncoding console(outDevice);
    TableObserver *observer = nullptr;
    if (isTerminal(outDevice)) {
        options.asciiText = TableEncoding::Utf8;
        const QByteArray head = source->peek(1 << 16);
        if (isWorkbook(std::string_view(head.constData(), std::size_t(head.size()))))
            return usageError(err, u"sešit nelze vypsat na terminál: výsledky zapište do souboru "
                                   "volbou -o (např. -o vysledky.xlsx)."_s);
        if (const std::optional<Utf16Layout> layout = utf16Of(head))
            setConsoleText(outDevice,
                           layout->bigEndian ? ConsoleText::Utf16BE : ConsoleText::Utf16LE);
        else
            observer = &console;
    }
    const TableResult result = computeInto(*source, out, options, locale, observer);
    if (!result.usageError.isEmpty()) {
        write(err, u"%1: %2\n"_s.arg(programName(), result.usageError));
        return UsageError;
    }
    if (result.outputFailed)
        return OutputFailed;
    const TableSummary &s = result.summary;
    QString text =
        u"%1: %2%3\n"_s.arg(programName(),
                            tabletexts::summary(s.computed, s.failed, s.firstFailedRows,
                                                result.columns.compare >= 0 ? s.outside : -1),
                            computedHow(result, options));
    if (s.unclosedQuoteLine > 0)
        text += u"%1: %2\n"_s.arg(
            programName(), tabletexts::unclosedQuote(s.unclosedQuoteLine, s.unclosedQuoteRow));
    if (s.decimalMarkRows > 0)
        text += u"%1: %2\n"_s.arg(programName(),
                                  tabletexts::decimalMarkHint(s.decimalMarkRows, optionNames()));
    if (s.encodingChangedRow > 0)
        text += u"%1: %2\n"_s.arg(
            programName(),
            tabletexts::encodingChanged(s.encoding, s.encodingChangedRow, optionNames()));
    summary = text;
    return result.complete() ? AllComputed : SomeFailed;
}

int dispatch(const Request &r, const Options &o, QIODevice &in, QIODevice &out, QIODevice &err,
             const QLocale &locale)
{
    // Standard output ("-o -" too), or the file that replaces the named one once everything is
    // written; a device or a pipe ("-o /dev/stdout") is written as it is.
    const QString outPath = r.output.value_or(QString());
    OutputFile file(outPath);
    QIODevice *target = &out;
    QString targetName = u"standardní výstup"_s;
    if (r.output && outPath != u"-" && !sameFile(out, outPath)) {
        if (r.kind == Request::Kind::Table) {
            QFile named(r.table);
            QIODevice &read = r.table == u"-" ? in : named;
            const bool open = &read == &in || named.open(QIODevice::ReadOnly);
            if (open && sameFile(read, outPath))
                return usageError(err, outputIsTheTable());
            if (const QString refused = open ? outputOfAnotherKind(read, outPath) : QString();
                !refused.isEmpty())
                return usageError(err, refused);
        }
        if (!file.open()) {
            write(err, u"%1: soubor %2 nelze vytvořit: %3\n"_s.arg(programName(), quoted(outPath),
                                                                   file.errorString()));
            return UsageError;
        }
        target = &file.device();
        targetName = quoted(outPath);
    }
    CheckedOutput output(*target);
    const auto failed = [&] {
        write(err, u"%1: výstup nelze zapsat (%2): %3\n"_s.arg(programName(), targetName,
                                                               output.error()));
        return int(OutputFailed);
    };
    int status = AllComputed;
    QString summary; // of a table, said once it is all written
    switch (r.kind) {
    case Request::Kind::Help: {
        QString text = o.parser.helpText();
        // The usage line names the program as typed, not by its full path.
        text.replace(QCoreApplication::arguments().value(0, programName()), programName());
        write(output, text + examples());
        break;
    }
    case Request::Kind::Version:
        write(output, u"%1 %2\n"_s.arg(programName(), program::version));
        break;
    case Request::Kind::Areas:
        status = computeAreas(r, output, err, locale);
        break;
    case Request::Kind::Table:
        status = computeTable(r, in, output, summary, err, locale);
        if (status == UsageError)
            return status;
        if (status == OutputFailed)
            return failed();
        break;
    }
    if (!output.finish())
        return failed();
    write(err, summary);
    return status;
}

} // namespace

int runCommandLine(const QStringList &arguments, QIODevice &in, QIODevice &out, QIODevice &err,
                   const QLocale &locale)
{
    Options options;
    const std::variant<Request, QString> parsed = parse(options, arguments, locale);
    if (const QString *error = std::get_if<QString>(&parsed))
        return usageError(err, *error);
    return dispatch(std::get<Request>(parsed), options, in, out, err, locale);
}

} // namespace mezni
