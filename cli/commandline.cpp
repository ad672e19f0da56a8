#include "commandline.h"

#include "evaluation.h"
#include "files.h"
#include "numbers.h"
#include "resulttexts.h"
#include "standardstreams.h"
#include "table.h"
#include "tabletexts.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
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

// Standard output or the output file, buffered, every write checked: the first failure is kept
// and everything after it refused, so that a run never reports what it could not write.
class Output final : public TableOutput
{
public:
    Output(QIODevice &device, QString name) : m_device(device), m_name(std::move(name))
    {
        m_buffer.reserve(bufferSize);
    }

    bool passThrough(std::string_view bytes) override { return add(bytes); }
    bool appended(std::string_view bytes) override { return add(bytes); }
    bool add(const QString &text) { return add(text.toUtf8().toStdString()); }

    bool flush()
    {
        if (!m_error.isEmpty())
            return false;
        if (!m_device.isOpen() || !m_device.isWritable()) {
            m_error = u"výstup je zavřený"_s;
            return false;
        }
        std::size_t done = 0;
        while (done < m_buffer.size()) {
            clearSystemError();
            const qint64 written =
                m_device.write(m_buffer.data() + done, qint64(m_buffer.size() - done));
            if (written <= 0) {
                m_error = writeFailure(m_device.errorString());
                return false;
            }
            done += std::size_t(written);
        }
        m_buffer.clear();
        return true;
    }
    // Everything written; an output file replaces the named one only now.
    bool finish()
    {
        if (!flush())
            return false;
        auto *file = qobject_cast<QSaveFile *>(&m_device);
        if (file && !file->commit()) {
            m_error = file->errorString();
            return false;
        }
        return true;
    }
    // The message for a failed output, or nothing.
    QString failure() const
    {
        return m_error.isEmpty()
                   ? QString()
                   : u"%1: výstup nelze zapsat (%2): %3"_s.arg(program, m_name, m_error);
    }

private:
    static constexpr std::size_t bufferSize = 1 << 18;

    bool add(std::string_view bytes)
    {
        if (!m_error.isEmpty())
            return false;
        m_buffer += bytes;
        return m_buffer.size() < bufferSize || flush();
    }

    QIODevice &m_device;
    const QString m_name;
    std::string m_buffer;
    QString m_error;
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
    if (v == u"strednik")
        return ';';
    if (v == u"carka")
        return ',';
    if (value == u"\\t" || v == u"tabulator" || v == u"tab")
        return '\t';
    // Any other single character a spreadsheet lets the user choose: "|", ":", "/".
    if (value.size() == 1 && value[0].unicode() < 0x80 && isDelimiter(char(value[0].unicode())))
        return char(value[0].unicode());
    usage.error =
        u"Neznámý oddělovač %1: zadejte strednik, carka, tabulator nebo jeden znak "
        "ASCII, který není uvozovka, písmeno, číslice ani mezera."_s.arg(tabletexts::quoted(value));
    return std::nullopt;
}

std::optional<DecimalMark> decimalNamed(const QString &value, Usage &usage)
{
    const QString v = plain(value);
    if (value == u"," || v == u"carka")
        return DecimalMark::Comma;
    if (value == u"." || v == u"tecka")
        return DecimalMark::Point;
    usage.error = u"Neznámý desetinný oddělovač „%1“: zadejte carka nebo tecka."_s.arg(value);
    return std::nullopt;
}

std::optional<qint64> headerRowNamed(const QString &value, Usage &usage)
{
    bool ok = false;
    const qint64 row = value.trimmed().toLongLong(&ok);
    if (ok && row >= 1 && row <= 1000)
        return row;
    usage.error = u"Řádek hlavičky „%1“ není číslo od 1 do 1000."_s.arg(value);
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
           "  mezni-odchylka -s parcely.csv -o vysledky.csv\n"
           "                                          totéž do souboru (např. v PowerShellu)\n"
           "  mezni-odchylka -s mereni.csv --sloupec Výměra --porovnat \"Nová výměra\"\n"
           "                                          tabulka s posouzením nové výměry\n"
           "\nNávratový kód: 0 vše spočteno, 1 některou výměru nebo řádek nešlo spočítat,\n"
           "2 chybné volání (volba, hodnota, soubor, sloupec; tehdy se nic nevypíše),\n"
           "3 okno nelze otevřít (bez argumentů a bez displeje), 4 výstup nelze zapsat\n"
#ifdef Q_OS_WIN
           "(plný disk, zavřený výstup, roura, jejíž čtenář skončil).\n"_s;
#else
           "(plný disk, zavřený výstup; roura, jejíž čtenář skončil, jen kde je signál\n"
           "SIGPIPE ignorován, jinak program ukončí systém jako jiné nástroje: kód 141).\n"_s;
#endif
}

int computeAreas(const QStringList &areas, qint32 zpusob, qint32 mapa, Output &out, QIODevice &err,
                 const QLocale &locale)
{
    const NumberFormat numbers(locale);
    int status = AllComputed;
    QString text;
    for (const QString &area : areas) {
        const Evaluation e = evaluateText(area.trimmed(), zpusob, mapa, numbers);
        if (e.kind != Evaluation::Kind::Results) {
            QString message = e.kind == Evaluation::Kind::Nothing ? u"Chybí výměra"_s : e.message;
            // A table given without -s.
            if (e.message == messages::notNumber() && QFileInfo(area).isFile())
                message += u". %1 je soubor: tabulku spočítá %2 -s %3"_s.arg(
                    tabletexts::quoted(area), program, shellWord(area));
            write(err, u"%1: %2: %3\n"_s.arg(program, tabletexts::quoted(area), message));
            status = SomeFailed;
            continue;
        }
        if (!text.isEmpty())
            text += u'\n';
        text += captions::area() + u' ' + area.trimmed() + u'\n';
        for (const QString &line : resultLines(e.figures, numbers))
            text += line + u'\n';
    }
    out.add(text);
    return status;
}

int computeTable(const QString &path, const TableOptions &options, QIODevice &in, Output &out,
                 QIODevice &outDevice, QIODevice &err, const QLocale &locale)
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
    // As cat does: writing into the table being read would never end.
    if (sameFile(*source, outDevice)) {
        QString text =
            u"%1: výstup je sama čtená tabulka: výsledky zapište do jiného souboru."_s.arg(program);
        // "> table" has emptied the file before the program ever ran.
        if (source->size() == 0)
            text += u" Tabulku už vyprázdnil shell, když výstup přesměroval (>) do ní: obnovte ji "
                    "(např. ze zálohy) a výsledky přesměrujte do jiného souboru."_s;
        write(err, text + u'\n');
        return UsageError;
    }
    const TableResult result = processTable(*source, out, options, locale);
    if (!result.usageError.isEmpty()) {
        write(err, u"%1: %2\n"_s.arg(program, result.usageError));
        return UsageError;
    }
    if (result.outputFailed || !out.flush()) {
        write(err, out.failure() + u'\n');
        return OutputFailed;
    }
    const TableSummary &s = result.summary;
    QString text =
        u"%1: %2\n"_s.arg(program, tabletexts::summary(s.computed, s.failed, s.firstFailedRows));
    if (s.unclosedQuoteLine > 0)
        text += u"%1: %2\n"_s.arg(
            program, tabletexts::unclosedQuote(s.unclosedQuoteLine, s.unclosedQuoteRow));
    if (s.encodingChangedRow > 0)
        text += u"%1: %2\n"_s.arg(program,
                                  tabletexts::encodingChanged(s.encoding, s.encodingChangedRow));
    write(err, text);
    return result.complete() ? AllComputed : SomeFailed;
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
        u"oddelovac"_s,
        u"Oddělovač polí tabulky místo zjištěného z prvního řádku: strednik, carka, tabulator "
        "nebo jiný znak (např. '|')."_s,
        u"strednik|carka|tabulator|znak"_s);
    const QCommandLineOption kodovani(
        u"kodovani"_s,
        u"Kódování tabulky místo zjištěného (značka BOM, platné UTF-8, jinak Windows-1250)."_s,
        u"utf-8|windows-1250"_s);
    const QCommandLineOption desetinna(
        u"desetinna"_s,
        u"Desetinný oddělovač čísel tabulky: carka nebo tecka (výchozí: jaký mají čísla "
        "tabulky, u tabulky se středníky čárka, jinak podle místního nastavení)."_s,
        u"carka|tecka"_s);
    const QCommandLineOption radekHlavicky(
        u"radek-hlavicky"_s,
        u"Na kterém řádku tabulky je hlavička (výchozí 1); řádky nad ní (nadpisy) projdou "
        "beze změny."_s,
        u"číslo"_s);
    const QCommandLineOption vystup(
        {u"o"_s, u"vystup"_s},
        u"Výsledky zapíše do souboru místo na standardní výstup (soubor se nahradí až "
        "po úspěšném zápisu); „-“ je standardní výstup."_s,
        u"soubor"_s);
    const QList<QCommandLineOption> all{help,      version,       zpusob,      mapa,      soubor,
                                        sloupec,   porovnat,      bezHlavicky, oddelovac, kodovani,
                                        desetinna, radekHlavicky, vystup};
    // The options that take a value consume the next argument, even one that looks like an area.
    QStringList takesValue;
    for (const QCommandLineOption &o : all) {
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
        } else if (a == u"/?") { // what Windows users type for help
            options += u"--help"_s;
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
    if (!parser.parse(options)) {
        // Qt's messages quote with apostrophes; ours with Czech quotes.
        static const QRegularExpression apostrophes(u"'([^']*)'"_s);
        return usageError(parser.errorText().replace(apostrophes, u"„\\1“"_s));
    }
    for (const QCommandLineOption &o : all)
        if (!o.valueName().isEmpty() && parser.values(o).size() > 1)
            return usageError(u"Volba --%1 je zadána víckrát: program zpracuje jedno zadání "
                              "najednou."_s.arg(o.names().constLast()));

    // Standard output ("-o -" too), or the file that replaces the named one once everything is
    // written; a device or a pipe ("-o /dev/stdout") is written as it is.
    const QString outPath = parser.value(vystup);
    QSaveFile saved(outPath);
    QFile direct(outPath);
    QIODevice *target = &out;
    QString targetName = u"standardní výstup"_s;
    if (parser.isSet(vystup) && outPath != u"-" && !sameFile(out, outPath)) {
        if (parser.isSet(soubor)) {
            QFile named(parser.value(soubor));
            QIODevice &read = parser.value(soubor) == u"-" ? in : named;
            if ((&read == &in || named.open(QIODevice::ReadOnly)) && sameFile(read, outPath))
                return usageError(u"Výstupní soubor je sama čtená tabulka: výsledky zapište do "
                                  "jiného souboru."_s);
        }
        const QFileInfo info(outPath);
        QFileDevice &file = info.exists() && !info.isFile() && !info.isDir()
                                ? static_cast<QFileDevice &>(direct)
                                : static_cast<QFileDevice &>(saved);
        if (!file.open(QIODevice::WriteOnly)) {
            write(err, u"%1: soubor %2 nelze vytvořit: %3\n"_s.arg(
                           program, tabletexts::quoted(outPath), file.errorString()));
            return UsageError;
        }
        target = &file;
        targetName = tabletexts::quoted(outPath);
    }
    Output output(*target, targetName);
    const auto finished = [&](int status) {
        if (!output.finish()) {
            write(err, output.failure() + u'\n');
            return int(OutputFailed);
        }
        return status;
    };

    if (parser.isSet(help)) {
        QString text = parser.helpText();
        // The usage line names the program as typed, not by its full path.
        text.replace(QCoreApplication::arguments().value(0, program), program);
        output.add(text + examples());
        return finished(AllComputed);
    }
    if (parser.isSet(version)) {
        output.add(u"%1 %2\n"_s.arg(program, QCoreApplication::applicationVersion()));
        return finished(AllComputed);
    }

    Usage usage;
    TableOptions table;
    table.lngZpusob = methodCode(parser.value(zpusob), usage);
    table.lngMapa = mapCode(parser.value(mapa), usage);
    if (parser.isSet(oddelovac))
        table.delimiter = delimiterNamed(parser.value(oddelovac), usage);
    if (parser.isSet(kodovani))
        table.encoding = encodingNamed(parser.value(kodovani), usage);
    if (parser.isSet(desetinna))
        table.decimal = decimalNamed(parser.value(desetinna), usage);
    if (parser.isSet(radekHlavicky))
        table.headerRow = headerRowNamed(parser.value(radekHlavicky), usage);
    if (!usage.error.isEmpty())
        return usageError(usage.error);

    if (!parser.isSet(soubor)) {
        for (const QCommandLineOption &o :
             {sloupec, porovnat, bezHlavicky, oddelovac, kodovani, desetinna, radekHlavicky})
            if (parser.isSet(o))
                return usageError(
                    u"Volba --%1 platí jen pro tabulku (--soubor)."_s.arg(o.names().constLast()));
        if (areas.isEmpty())
            return usageError(u"Zadejte výměru, nebo tabulku volbou --soubor."_s);
        return finished(computeAreas(areas, table.lngZpusob, table.lngMapa, output, err, locale));
    }
    if (!areas.isEmpty())
        return usageError(u"Zadejte buď výměry, nebo tabulku (--soubor), ne obojí."_s);
    // Added texts a terminal can show where the table's bytes leave the encoding open.
    if (isTerminal(*target))
        table.asciiText = TableEncoding::Utf8;
    table.areaColumn = parser.value(sloupec);
    table.compareColumn = parser.value(porovnat);
    table.noHeader = parser.isSet(bezHlavicky);
    const int status = computeTable(parser.value(soubor), table, in, output, *target, err, locale);
    return status == UsageError || status == OutputFailed ? status : finished(status);
}

} // namespace mezni
