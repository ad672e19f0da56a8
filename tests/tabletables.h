#pragma once

// The tables of the command-line table tests, each with its options and the bytes the command
// line writes for it: the table window saves each and must write the very same bytes.

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace mezni::tabletests {

using namespace Qt::StringLiterals;

struct TableCase
{
    const char *name;
    QStringList arguments; // "-s", "-" and the options
    QLocale locale;
    QByteArray input;
    QByteArray output;
    int status = 0;
    QString says; // what standard error says, in part
};

// Rows written as a test table's rows are: add(name) << arguments << locale << input << ...
class Cases
{
public:
    struct Row
    {
        Cases &cases;
        int column = 0;
        template<typename T> Row &operator<<(const T &value)
        {
            TableCase &c = cases.all.back();
            if constexpr (std::is_same_v<T, QStringList>)
                c.arguments = value;
            else if constexpr (std::is_same_v<T, QLocale>)
                c.locale = value;
            else if constexpr (std::is_same_v<T, int>)
                c.status = value;
            else if constexpr (std::is_same_v<T, QString>)
                c.says = value;
            else
                (column++ == 0 ? c.input : c.output) = QByteArray(value);
            return *this;
        }
    };
    Row add(const char *name)
    {
        all.append({name, {}, QLocale::c(), {}, {}, 0, {}});
        return Row{*this};
    }
    QList<TableCase> all;
};

inline QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

inline QList<TableCase> tables()
{
    const QLocale czech(QLocale::Czech, QLocale::Czechia);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    Cases cases;
    const auto add = [&](const char *name) {
        return cases.add(name);
    };

    // Czech Excel: Windows-1250 ("Výměra" is V\xFDm\xECra), semicolons, CRLF, quoted fields with
    // the delimiter, doubled quotes and a line break; a no-break space (\xA0) groups digits.
    const QByteArray cp1250Header = "Parcela;V\xFDm\xECra [m2];Pozn\xE1mka";
    const QByteArray cp1250Appended = ";Mezn\xED odchylka;Dvojn\xE1sobek mezn\xED odchylky;MIN;MAX;"
                                      "Chyba";
    add("Czech Excel, Windows-1250")
        << QStringList{u"-s"_s, u"-"_s} << english
        << cp1250Header + "\r\n\"1/1\";2500;\"a;b \"\"c\"\"\"\r\n2;1\xA0"
                          "234,5;\"dv\xECr\r\nky\"\r\n"
        << cp1250Header + cp1250Appended +
               "\r\n\"1/1\";2500;\"a;b \"\"c\"\"\";14,5;29,0;2471,0;2529,0;\r\n2;1\xA0"
               "234,5;\"dv\xECr\r\nky\";10,8;21,6;1212,9;1256,1;\r\n"
        << 0 << u"spočteno řádků: 2, s chybou: 0"_s;
    add("Excel CSV UTF-8 with its byte-order mark, bad rows kept")
        << QStringList{u"--soubor"_s, u"-"_s, u"-m"_s, u"5000"_s} << english
        << "\xEF\xBB\xBFParcela;V\xC3\xBDm\xC4\x9Bra\r\n1;abc\r\n2;\r\n3;-5\r\n4;1E80\r\n\r\n"
           "100\r\n"_ba
        << "\xEF\xBB\xBFParcela;V\xC3\xBDm\xC4\x9Bra;" +
               utf8(u"Mezní odchylka;Dvojnásobek mezní odchylky;MIN;MAX;Chyba"_s) +
               "\r\n1;abc;;;;;" + utf8(u"Výměra musí být číslo"_s) + "\r\n2;;;;;;" +
               utf8(u"Chybí výměra"_s) + "\r\n3;-5;;;;;" + utf8(u"Výměra nesmí být záporná"_s) +
               "\r\n4;1E80;;;;;" + utf8(u"Při výpočtu výměry došlo k chybě 6 Přetečení"_s) +
               "\r\n\r\n100;;;;;;" + utf8(u"Řádek nemá pole s výměrou (sloupec 2)"_s) + "\r\n"
        << 1 << u"s chybou: 5 (řádky 2, 3, 4, 5, 7)"_s;
    add("LibreOffice: commas, decimal point, UTF-8, LF, no final line end, verdict")
        << QStringList{u"-s"_s, u"-"_s, u"--porovnat"_s, u"3"_s} << czech
        << "parcela,vymera,nova\n1,2500.5,2528.9\n2,\"2,500.0\",2471\n3,2500,2600\n4,2500,x"_ba
        << "parcela,vymera,nova," +
               utf8(u"Mezní odchylka,Dvojnásobek mezní odchylky,MIN,MAX,V "
                    "mezích,Chyba"_s) +
               "\n1,2500.5,2528.9,14.5,29.0,2471.5,2529.5,ano,\n2,\"2,500.0\",2471,14.5,29.0,"
               "2471.0,2529.0,ano,\n3,2500,2600,14.5,29.0,2471.0,2529.0,ne,\n4,2500,x,14.5,29.0,"
               "2471.0,2529.0,," +
               utf8(u"Porovnávaná výměra musí být číslo"_s)
        << 1 << u"(řádek 5)"_s;
    add("tab-separated, regional decimal comma, no header, column by number")
        << QStringList{u"-s"_s, u"-"_s, u"--bez-hlavicky"_s, u"--sloupec"_s, u"2"_s} << czech
        << "a\t2500,5\n"_ba
        << "a\t2500,5\t14,5\t29,0\t2471,5\t2529,5\t\n"_ba << 0 << u"spočteno řádků: 1"_s;

    // Everyday tables that once came out wrong.
    const QStringList fromStdin{u"-s"_s, u"-"_s};
    const QByteArray results =
        ";Mezn\xC3\xAD odchylka;Dvojn\xC3\xA1sobek mezn\xC3\xAD odchylky;MIN;MAX;";
    add("short rows padded to the header, a long one only reported")
        << fromStdin << czech << "P;V\xC3\xBDm\xC4\x9Bra;Pozn\n1;2500\n2;900;a;b\n"_ba
        << "P;V\xC3\xBDm\xC4\x9Bra;Pozn" + results +
               "Chyba\n1;2500;;14,5;29,0;2471,0;2529,0;\n"
               "2;900;a;b;" +
               utf8(u"Řádek má 4 pole, hlavička jen 3 pole: výsledky by stály pod "
                    "jinými nadpisy"_s) +
               "\n"
        << 1 << u"(řádek 3)"_s;
    add("a quote never closed: reported by its line, bytes kept")
        << fromStdin << czech << "P;V\xC3\xBDm\xC4\x9Bra\n1;\"2 500\n3;4\n"_ba
        << "P;V\xC3\xBDm\xC4\x9Bra" + results + "Chyba\n1;\"2 500\n3;4\n"_ba << 1
        << u"otevřené na 2. řádku souboru (řádek tabulky 2)"_s;
    add("lone carriage returns end rows")
        << fromStdin << czech << "P;V\xC3\xBDm\xC4\x9Bra\r1;2500\r"_ba
        << "P;V\xC3\xBDm\xC4\x9Bra" + results + "Chyba\r1;2500;14,5;29,0;2471,0;2529,0;\r"_ba << 0
        << u"spočteno řádků: 1, s chybou: 0"_s;
    add("comma file, Czech decimal commas quoted; grouping only by threes")
        << fromStdin << english << "P,V\xC3\xBDm\xC4\x9Bra\n1,\"0,125\"\n2,\"2,500\"\n3,25 00\n"_ba
        << "P,V\xC3\xBDm\xC4\x9Bra,Mezn\xC3\xAD odchylka,Dvojn\xC3\xA1sobek mezn\xC3\xAD "
           "odchylky,MIN,"
           "MAX,Chyba\n1,\"0,125\",\"2,1\",\"4,2\",\"0,5\",\"4,3\",\n2,\"2,500\",\"2,4\",\"4,8\","
           "\"0,5\",\"7,3\",\n3,25 00,,,,," +
               utf8(u"Výměra musí být číslo"_s) + "\n"
        << 1 << u"(řádek 4)"_s;
    add("Windows-1250: a value quoted in its reason stays in the table's encoding")
        << QStringList{u"-s"_s, u"-"_s, u"--desetinna"_s, u"tecka"_s} << czech
        << "P;V\xFDm\xECra\r\n1;1\xA0"
           "234,5\r\n"_ba
        << "P;V\xFDm\xECra;Mezn\xED odchylka;Dvojn\xE1sobek mezn\xED odchylky;MIN;MAX;Chyba\r\n"
           "1;1\xA0"
           "234,5;;;;;V\xFDm\xECra \x84"
           "1\xA0"
           "234,5\x93 je zaps\xE1na s desetinnou "
           "\xE8\xE1rkou, tabulka m\xE1 desetinnou te\xE8ku\r\n"_ba
        << 1 << u"(řádek 2)"_s;
    add("Windows-1250: scale and method from each row, in the table's own words")
        << QStringList{u"-s"_s,    u"-"_s, u"--sloupec-meritka"_s, u"3"_s, u"--sloupec-zpusobu"_s,
                       u"Způsob"_s}
        << czech
        << "P;V\xFDm\xECra;M\xEC\xF8\xEDtko;Zp\xF9sob\r\n1;2500;1:2880;\xE8\xEDseln\xEC\r\n"
           "2;1234,5;1 : 1 440;graficky\r\n3;800;5000;\xE8\xEDsln\xEC\r\n"_ba
        << "P;V\xFDm\xECra;M\xEC\xF8\xEDtko;Zp\xF9sob;Mezn\xED odchylka;Dvojn\xE1sobek mezn\xED "
           "odchylky;MIN;MAX;Chyba\r\n1;2500;1:2880;\xE8\xEDseln\xEC;52,0;104,0;2396,0;2604,0;\r\n"
           "2;1234,5;1 : 1 440;graficky;14,5;29,1;1205,4;1263,6;\r\n3;800;5000;\xE8\xEDsln\xEC;;;;;"
           "Nezn\xE1m\xFD zp\xF9sob v\xFDpo\xE8tu \x84\xE8\xEDsln\xEC\x93: zp\xF9sob je "
           "\xE8\xEDseln\xEC (1), nebo graficky (0)\r\n"_ba
        << 1 << u"měřítko podle řádků, způsob podle řádků"_s;
    add("a value two conventions read differently, and nothing settles it")
        << fromStdin << english << "P,V\xC3\xBDm\xC4\x9Bra\n1,\"2,500\"\n"_ba
        << "P,V\xC3\xBDm\xC4\x9Bra,Mezn\xC3\xAD odchylka,Dvojn\xC3\xA1sobek mezn\xC3\xAD "
           "odchylky,MIN,"
           "MAX,Chyba\n1,\"2,500\",,,,,\"" +
               utf8(u"Výměra „2,500“ se dá číst jako 2,5 i jako 2500: "
                    "určete desetinný oddělovač tabulky"_s) +
               "\"\n"
        << 1 << u"(řádek 2)"_s;
    add("verdict by the bounds as printed; second area missing or bad keeps figures")
        << QStringList{u"-s"_s, u"-"_s, u"--porovnat"_s, u"3"_s} << czech
        << "P;V\xC3\xBDm\xC4\x9Bra;Nov\xC3\xA1\n1;1874,9;1849,2\n2;2500;\n3;2500;x\n"_ba
        << "P;V\xC3\xBDm\xC4\x9Bra;Nov\xC3\xA1" + results +
               "V mez\xC3\xAD"
               "ch;Chyba\n"
               "1;1874,9;1849,2;12,8;25,7;1849,2;1900,6;ano;\n2;2500;;14,5;29,0;2471,0;2529,0;;\n"
               "3;2500;x;14,5;29,0;2471,0;2529,0;;" +
               utf8(u"Porovnávaná výměra musí být číslo"_s) + "\n"
        << 1 << u"spočteno řádků: 2, s chybou: 1 (řádek 4)"_s;
    // The rule by quality code: δ, MIN, MAX, no twice δ; δ of the larger area where two are
    // compared (100 and 144 at code 8: 144 − 100 = 44 = 2 · √144 + 20).
    add("quality code 8 for every row, the verdict by δ of the larger area")
        << QStringList{u"-s"_s, u"-"_s, u"-k"_s, u"8"_s, u"--porovnat"_s, u"3"_s} << czech
        << "P;V\xC3\xBDm\xC4\x9Bra;Nov\xC3\xA1\n1;100;144\n2;100;145\n3;100;59,9\n"_ba
        << "P;V\xC3\xBDm\xC4\x9Bra;Nov\xC3\xA1;Mezn\xC3\xAD odchylka;MIN;MAX;V mez\xC3\xAD"
           "ch;Chyba\n1;100;144;44,0;60,0;144,0;ano;\n2;100;145;44,1;60,0;144,0;ne;\n"
           "3;100;59,9;40,0;60,0;144,0;ne;\n"_ba
        << 0 << u"spočteno řádků: 3, s chybou: 0, mimo meze: 2 · kód kvality 8"_s;
    add("each row's own quality code, a bad and a missing one named")
        << QStringList{u"-s"_s, u"-"_s, u"--sloupec-kodu"_s, u"K\u00f3d"_s} << czech
        << "P;V\xC3\xBDm\xC4\x9Bra;K\xC3\xB3"
           "d\n1;2500;3\n2;2500; 6 \n3;2500;9\n4;2500;\n"_ba
        << "P;V\xC3\xBDm\xC4\x9Bra;K\xC3\xB3"
           "d;Mezn\xC3\xAD odchylka;MIN;MAX;Chyba\n"
           "1;2500;3;2,0;2498,0;2502,0;\n2;2500; 6 ;18,0;2482,0;2518,0;\n3;2500;9;;;;" +
               utf8(u"Neznámý kód kvality „9“: zadejte 3, 4, 5, 6, 7 nebo 8"_s) + "\n4;2500;;;;;" +
               utf8(u"Chybí kód kvality"_s) + "\n"
        << 1 << u"s chybou: 2 (řádky 4, 5) · kód kvality podle řádků"_s;
    add("blank rows pass as they are")
        << fromStdin << czech << "P;V\xC3\xBDm\xC4\x9Bra\r\n;\r\n  \r\n1;2500\r\n"_ba
        << "P;V\xC3\xBDm\xC4\x9Bra" + results +
               "Chyba\r\n;\r\n  \r\n1;2500;14,5;29,0;2471,0;2529,0;\r\n"_ba
        << 0 << u"spočteno řádků: 1, s chybou: 0"_s;
    add("a total row passes without figures, a note saying celkem is no total")
        << fromStdin << czech
        << "P;V\xC3\xBDm\xC4\x9Bra;Pozn\n1;2500;\n2;900;celkem\nCelkem;3400;\n"_ba
        << "P;V\xC3\xBDm\xC4\x9Bra;Pozn" + results +
               "Chyba\n1;2500;;14,5;29,0;2471,0;2529,0;\n2;900;celkem;9,5;19,0;881,0;919,0;\n"
               "Celkem;3400;\n"_ba
        << 0 << u"s chybou: 0 · 1:1000, číselně · řádek 4 „Celkem“ je součet, nepočítán"_s;
    add("Excel's sep= line, then the header; a title row above it")
        << QStringList{u"-s"_s, u"-"_s, u"--radek-hlavicky"_s, u"2"_s} << english
        << "sep=;\nParcely\nP;V\xC3\xBDm\xC4\x9Bra\n1;2500\n"_ba
        << "sep=;\nParcely\nP;V\xC3\xBDm\xC4\x9Bra" + results +
               "Chyba\n1;2500;14,5;29,0;2471,0;2529,0;\n"_ba
        << 0 << u"spočteno řádků: 1, s chybou: 0"_s;

    return cases.all;
}

} // namespace mezni::tabletests
