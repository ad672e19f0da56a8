#include "choices.h"

#include <QStringList>

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

// Letters and digits without diacritics, in lower case: "Číselně" → "ciselne".
QString folded(QStringView text)
{
    QString key;
    for (const QChar c : text.toString().normalized(QString::NormalizationForm_D))
        if (c.isLetterOrNumber())
            key += c.toLower();
    return key;
}

} // namespace

std::optional<qint32> mapClassOf(QStringView text)
{
    QString digits;
    for (const QChar c : text)
        if (!c.isSpace())
            digits += c;
    if (digits.startsWith(u"1:"))
        digits.remove(0, 2);
    bool ok = false;
    const int scale = digits.toInt(&ok);
    if (!ok || digits.startsWith(u'+') || digits.startsWith(u'-'))
        return std::nullopt;
    for (std::size_t i = 0; i < scalesOfClass.size(); ++i)
        for (const int s : scalesOfClass[i])
            if (s != 0 && s == scale)
                return qint32(i);
    return std::nullopt;
}

QString scaleName(qint32 lngMapa)
{
    return u"1:"_s + QString::number(scalesOfClass.at(std::size_t(lngMapa))[0]);
}

QString scaleList()
{
    QStringList all;
    for (const auto &scales : scalesOfClass)
        for (const int s : scales)
            if (s != 0)
                all += QString::number(s);
    const QString last = all.takeLast();
    return all.join(u", "_s) + u" nebo "_s + last;
}

std::optional<qint32> methodOf(QStringView text)
{
    const QString v = folded(text);
    if (v == u"ciselne" || v == u"ciselny" || v == u"1")
        return 1;
    if (v == u"graficky" || v == u"graficke" || v == u"0")
        return 0;
    return std::nullopt;
}

QString methodName(qint32 lngZpusob)
{
    return lngZpusob == 1 ? u"číselně"_s : u"graficky"_s;
}

} // namespace mezni
