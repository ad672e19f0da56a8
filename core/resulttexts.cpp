#include "resulttexts.h"

#include "numbers.h"

namespace mezni {

using namespace Qt::StringLiterals;

QString boundsText(double min, double max, const NumberFormat &numbers)
{
    QString text = u"MIN "_s;
    numbers.appendOneDecimal(min, text);
    text += u", MAX "_s;
    numbers.appendOneDecimal(max, text);
    return text;
}

namespace {

QString boundsText(const Figures &f, const NumberFormat &numbers)
{
    return boundsText(f.min, f.max, numbers);
}

} // namespace

QString quoted(const QString &text)
{
    QString shown = u"„"_s;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\t')
            shown += u"\\t"_s;
        else if (u == u'\r')
            shown += u"\\r"_s;
        else if (u == u'\n')
            shown += u"\\n"_s;
        else if (u < 0x20 || (u >= 0x7F && u < 0xA0) || c.category() == QChar::Other_Format)
            shown += u"\\x"_s + QString::number(u, 16).toUpper().rightJustified(2, u'0');
        else
            shown += c;
    }
    return shown + u"“"_s;
}

std::array<QString, 3> resultLines(const Figures &f, const NumberFormat &numbers)
{
    return {captions::delta() + u' ' + numbers.oneDecimal(f.delta),
            captions::twoDelta() + u' ' + numbers.oneDecimal(f.twoDelta),
            captions::bounds() + u' ' + boundsText(f, numbers)};
}

QString spokenResults(const Figures &f, const NumberFormat &numbers)
{
    return u"Hodnota mezní odchylky "_s + numbers.oneDecimal(f.delta) + u"; dvojnásobek "_s +
           numbers.oneDecimal(f.twoDelta) + u"; "_s + boundsText(f, numbers);
}

QString verdictWord(bool within)
{
    return within ? u"ano"_s : u"ne"_s;
}

std::array<QString, 3> qualityResultLines(qint32 code, const QualityFigures &f,
                                          const NumberFormat &numbers)
{
    return {captions::qualityCodeLabel.toString() + u' ' + QString::number(code),
            captions::delta() + u' ' + numbers.oneDecimal(f.delta),
            captions::bounds() + u' ' + boundsText(f.min, f.max, numbers)};
}

std::array<QString, 3> comparisonLines(const QualityComparison &c, const NumberFormat &numbers)
{
    return {captions::differenceLabel.toString() + u' ' + numbers.oneDecimal(c.difference),
            captions::largerDeltaLabel.toString() + u' ' + numbers.oneDecimal(c.delta),
            captions::withinLabel.toString() + u' ' + verdictWord(c.within)};
}

QStringList qualityLines(const QString &areaText, const QString &comparedText,
                         const QualityEvaluation &e, const NumberFormat &numbers)
{
    QStringList lines{captions::area() + u' ' + areaText};
    for (const QString &line : qualityResultLines(e.code, e.figures, numbers))
        lines += line;
    if (e.comparison) {
        lines += captions::comparedLabel.toString() + u' ' + comparedText;
        for (const QString &line : comparisonLines(*e.comparison, numbers))
            lines += line;
    }
    return lines;
}

QString spokenQualityResults(const QualityEvaluation &e, const NumberFormat &numbers)
{
    QString text = u"Kód kvality %1: mezní odchylka "_s.arg(e.code) +
                   numbers.oneDecimal(e.figures.delta) + u"; "_s +
                   boundsText(e.figures.min, e.figures.max, numbers);
    if (e.comparison)
        text += u"; rozdíl "_s + numbers.oneDecimal(e.comparison->difference) +
                u", mezní odchylka větší výměry "_s + numbers.oneDecimal(e.comparison->delta) +
                u"; v mezích: "_s + verdictWord(e.comparison->within);
    return text;
}

} // namespace mezni
