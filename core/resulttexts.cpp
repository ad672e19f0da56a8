#include "resulttexts.h"

#include "numbers.h"

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

QString boundsText(const Figures &f, const NumberFormat &numbers)
{
    QString text = u"MIN "_s;
    numbers.appendOneDecimal(f.min, text);
    text += u", MAX "_s;
    numbers.appendOneDecimal(f.max, text);
    return text;
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

} // namespace mezni
