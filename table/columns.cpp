#include "columns.h"

#include "tabletexts.h"

#include <QRegularExpression>
#include <algorithm>

namespace mezni {

using namespace Qt::StringLiterals;

QString foldedKey(const QString &text, QStringView alsoKeep)
{
    QString key;
    for (const QChar c : text.normalized(QString::NormalizationForm_D))
        if (c.isLetterOrNumber() || alsoKeep.contains(c))
            key += c.toLower();
    return key;
}

namespace {

bool isAreaHeader(const QString &header)
{
    return foldedKey(header).startsWith(u"vymera"_s);
}

// The unit an area header names where it is not square metres: "Výměra [ha]" → "ha".
QString otherUnit(const QString &header)
{
    static const QStringList others{u"ha"_s,     u"a"_s,       u"ar"_s,      u"ary"_s,  u"aru"_s,
                                    u"hektar"_s, u"hektary"_s, u"hektaru"_s, u"km2"_s,  u"dm2"_s,
                                    u"cm2"_s,    u"mm2"_s,     u"ft2"_s,     u"sqft"_s, u"ac"_s,
                                    u"acre"_s,   u"acres"_s};
    // Compatibility forms unfolded, so that "km²" is "km2".
    const QString text = header.normalized(QString::NormalizationForm_KD);
    static const QRegularExpression word(u"[\\p{L}\\p{N}]+"_s);
    static const QRegularExpression bracketed(u"[\\[(]\\s*([^\\])]*?)\\s*[\\])]"_s);
    QStringList candidates;
    for (auto it = bracketed.globalMatch(text); it.hasNext();)
        candidates += it.next().captured(1);
    QString last;
    for (auto it = word.globalMatch(text); it.hasNext();)
        last = it.next().captured();
    if (!isAreaHeader(last))
        candidates += last;
    for (const QString &candidate : candidates)
        if (others.contains(foldedKey(candidate)))
            return candidate;
    return {};
}

// A header that says its column holds each row's map scale ("Měřítko", "Měřítko mapy") or the
// way its area was determined ("Způsob", "Způsob určení výměry"; not the cadastre's "Způsob
// využití" or "Způsob ochrany", which are no method).
bool saysChoice(const QString &header, tabletexts::RowChoice choice)
{
    const QString key = foldedKey(header);
    if (choice == tabletexts::RowChoice::Scale)
        return key.startsWith(u"meritko"_s);
    return key == u"zpusob"_s || key.startsWith(u"zpusoburceni"_s) ||
           key.startsWith(u"zpusobvypoctu"_s) || key.startsWith(u"zpusobvymery"_s);
}

// The program's own result columns at the very end of the header, by either rule, with or
// without a verdict: how many (0: none), so that a table computed again gets them anew.
int earlierResults(const QStringList &headers)
{
    for (const bool byCode : {false, true}) {
        for (const bool verdict : {false, true}) {
            const QStringList names = tabletexts::resultColumns(verdict, byCode);
            const qsizetype own = headers.size() - names.size();
            if (own < 1)
                continue;
            bool same = true;
            for (qsizetype i = 0; same && i < names.size(); ++i)
                same = headers[own + i].trimmed() == names[i];
            if (same)
                return int(names.size());
        }
    }
    return 0;
}

class Resolver
{
public:
    Resolver(const TableSource &source, const TableOptions &options)
        : m_source(source), m_options(options)
    {
    }

    QString resolve(TableColumns &columns);

private:
    int column(const QString &wanted, QString &error) const;
    QString noAreaColumn(qint64 &likelyHeaderRow) const;

    const TableSource &m_source;
    const TableOptions &m_options;
    QStringList m_headers;
    bool m_named = false;
};

int Resolver::column(const QString &wanted, QString &error) const
{
    const QString name = wanted.trimmed();
    // Without a header the first row is data: a column is named by its number only.
    if (m_named) {
        QList<int> exact, folded;
        const QString key = foldedKey(name);
        for (qsizetype i = 0; i < m_headers.size(); ++i) {
            if (m_headers[i].trimmed().compare(name, Qt::CaseInsensitive) == 0)
                exact += int(i);
            if (!key.isEmpty() && foldedKey(m_headers[i]) == key)
                folded += int(i);
        }
        const QList<int> &found = exact.isEmpty() ? folded : exact;
        if (found.size() > 1) {
            error = tabletexts::columnTwice(name, found);
            return -1;
        }
        if (found.size() == 1)
            return found.front();
    }
    bool isNumber = false;
    const int number = name.toInt(&isNumber);
    if (isNumber && number >= 1 && number <= m_headers.size())
        return number - 1;
    error = m_named ? tabletexts::columnMissing(name, m_headers)
                    : tabletexts::columnNumberMissing(name, int(m_headers.size()));
    return -1;
}

// A punctuation mark that would split the header into columns, one of them the area's: the
// table was written with a delimiter of its own ("Parcela|Výměra|Druh").
std::optional<char> likelyDelimiter(const QStringList &headers, char delimiter)
{
    for (const QString &header : headers) {
        for (const QChar c : header) {
            const char16_t u = c.unicode();
            if (u >= 0x80 || u == delimiter || !isDelimiter(char(u)))
                continue;
            const QStringList parts = header.split(c);
            if (std::any_of(parts.begin(), parts.end(), isAreaHeader))
                return char(u);
        }
    }
    return std::nullopt;
}

QString Resolver::noAreaColumn(qint64 &likelyHeaderRow) const
{
    if (const std::optional<char> d = likelyDelimiter(m_headers, m_source.format().delimiter))
        return tabletexts::likelyDelimiter(m_headers, *d, m_options.names);
    QString text = tabletexts::noAreaColumn(m_headers, m_options.names);
    for (const Head &h : m_source.head()) {
        if (h.row <= m_options.headerRow.value_or(1))
            continue;
        if (std::any_of(h.fields.begin(), h.fields.end(), isAreaHeader)) {
            likelyHeaderRow = h.row;
            return text + tabletexts::headerLooksLater(h.row, m_options.names);
        }
    }
    const auto looksLikeNumber = [&](const QString &field) {
        const std::string bytes = m_source.encode(field);
        return readNumber(bytes, m_source.format().encoding).isNumber();
    };
    if (std::any_of(m_headers.begin(), m_headers.end(), looksLikeNumber))
        text += tabletexts::firstRowLooksLikeData(m_options.names);
    return text;
}

QString Resolver::resolve(TableColumns &c)
{
    const std::vector<Head> &head = m_source.head();
    m_named = !m_options.noHeader;
    if (m_named) {
        c.headerRow = m_options.headerRow.value_or(1);
        const auto found = std::find_if(head.begin(), head.end(),
                                        [&](const Head &h) { return h.row == c.headerRow; });
        if (found == head.end())
            return tabletexts::headerRowMissing(c.headerRow, m_source.headRecords());
        m_headers = QStringList(found->fields.begin(), found->fields.end());
    } else {
        // The first row that holds anything sets the width.
        const auto first =
            std::find_if(head.begin(), head.end(), [](const Head &h) { return !h.blank; });
        const Head &h = first != head.end() ? *first : head.front();
        m_headers = QStringList(h.fields.begin(), h.fields.end());
    }
    // A sheet's results stand after its last used column, whatever its header's width.
    while (m_headers.size() < m_source.usedWidth())
        m_headers += QString();
    if (m_named && (c.replaced = earlierResults(m_headers)) > 0)
        m_headers.resize(m_headers.size() - c.replaced);
    c.width = int(m_headers.size());
    c.headers = m_headers;
    if (!m_named)
        for (qsizetype i = 0; i < c.headers.size(); ++i)
            c.headers[i] = QString::number(i + 1);

    QString error;
    if (!m_options.compareColumn.isEmpty()) {
        c.compare = column(m_options.compareColumn, error);
        if (c.compare < 0)
            return error;
    }
    using tabletexts::RowChoice;
    for (const RowChoice choice : {RowChoice::Scale, RowChoice::Method, RowChoice::Code}) {
        const QString &wanted = choice == RowChoice::Scale    ? m_options.scaleColumn
                                : choice == RowChoice::Method ? m_options.methodColumn
                                                              : m_options.codeColumn;
        if (wanted.isEmpty())
            continue;
        int &at = choice == RowChoice::Scale    ? c.scale
                  : choice == RowChoice::Method ? c.method
                                                : c.code;
        if ((at = column(wanted, error)) < 0)
            return error;
    }
    if (!m_options.areaColumn.isEmpty()) {
        c.area = column(m_options.areaColumn, error);
        if (c.area < 0)
            return error;
    } else if (!m_named) {
        if (c.width != 1)
            return tabletexts::noHeaderManyColumns(c.width, m_options.names);
        c.area = 0;
    } else {
        QList<int> candidates;
        for (qsizetype i = 0; i < m_headers.size(); ++i)
            if (int(i) != c.compare && isAreaHeader(m_headers[i]))
                candidates += int(i);
        // A column in other units ("Výměra [ha]") is never the area beside one in square
        // metres.
        QList<int> inSquareMetres;
        for (const int i : candidates)
            if (otherUnit(m_headers[i]).isEmpty())
                inSquareMetres += i;
        if (!inSquareMetres.isEmpty())
            candidates = inSquareMetres;
        if (candidates.isEmpty())
            return c.compare >= 0 && isAreaHeader(m_headers[c.compare])
                       ? tabletexts::onlyAreaColumnCompared(m_headers[c.compare], m_options.names)
                       : noAreaColumn(c.likelyHeaderRow);
        if (candidates.size() > 1)
            return tabletexts::manyAreaColumns(m_headers, candidates, m_options.names);
        c.area = candidates.front();
    }
    if (c.area == c.compare) {
        c.compare = -1;
        return tabletexts::sameColumnTwice(c.area);
    }
    if (c.area == c.scale || c.area == c.method || c.area == c.code) {
        const RowChoice choice = c.area == c.scale    ? RowChoice::Scale
                                 : c.area == c.method ? RowChoice::Method
                                                      : RowChoice::Code;
        c.scale = c.method = c.code = -1;
        return tabletexts::areaColumnIsChoice(c.area, choice);
    }
    // The scale and method of each row from the columns whose headers say so, unless the user
    // chose (the rule by quality code has neither).
    for (const RowChoice choice : {RowChoice::Scale, RowChoice::Method}) {
        if (!m_named || m_options.byQualityCode())
            break;
        const bool scale = choice == RowChoice::Scale;
        QList<int> found;
        for (qsizetype i = 0; i < m_headers.size(); ++i)
            if (int(i) != c.area && int(i) != c.compare && saysChoice(m_headers[i], choice))
                found += int(i);
        int &at = scale ? c.scale : c.method;
        if (found.isEmpty() || at >= 0)
            continue;
        int &byHeader = scale ? c.scaleByHeader : c.methodByHeader;
        byHeader = found.front();
        if (scale ? m_options.scaleGiven : m_options.methodGiven)
            continue;
        if (found.size() > 1) {
            c.scaleByHeader = c.methodByHeader = -1;
            return tabletexts::manyChoiceColumns(choice, m_headers, found, m_options.names);
        }
        at = byHeader;
    }
    if (m_named) {
        for (const int i : {c.area, c.compare}) {
            if (i < 0)
                continue;
            if (const QString unit = otherUnit(m_headers[i]); !unit.isEmpty()) {
                c.area = c.compare = -1;
                return tabletexts::otherUnit(m_headers[i], unit);
            }
        }
    }
    return {};
}

} // namespace

QString resolveColumns(const TableSource &source, const TableOptions &options,
                       TableColumns &columns)
{
    return Resolver(source, options).resolve(columns);
}

} // namespace mezni
