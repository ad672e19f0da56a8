// Feeds arbitrary bytes to the table reader and checks what any table must come out as: every
// input byte passed through in order, one appended part per row, and the counts adding up.
// Input layout: 1 byte of options (bits 0-1 delimiter: detect, ';', ',', tab; bits 2-3 encoding:
// detect, UTF-8, Windows-1250; bit 4 no header; bit 5 a verdict column; bit 6 the locale: Czech or
// English), 1 byte area column (0: by header), then the table.

#include "table.h"

#include <QBuffer>
#include <QLocale>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace mezni;

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

class CheckingSink final : public TableSink
{
public:
    std::string through;
    std::string all;
    long long appendedParts = 0;

    void passThrough(std::string_view bytes) override
    {
        through += bytes;
        all += bytes;
    }
    void appended(std::string_view bytes) override
    {
        if (bytes.find('\n') != std::string_view::npos)
            fail("a line break in what was appended");
        ++appendedParts;
        all += bytes;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint8_t bits = data[0];
    TableOptions options;
    constexpr char delimiters[] = {0, ';', ',', '\t'};
    if (bits & 0x03)
        options.delimiter = delimiters[bits & 0x03];
    if ((bits >> 2 & 0x03) == 1)
        options.encoding = TableEncoding::Utf8;
    else if ((bits >> 2 & 0x03) == 2)
        options.encoding = TableEncoding::Windows1250;
    options.noHeader = bits & 0x10;
    if (bits & 0x20)
        options.compareColumn = QStringLiteral("1");
    if (data[1] != 0)
        options.areaColumn = QString::number(data[1]);
    const QLocale locale = bits & 0x40 ? QLocale(QLocale::English, QLocale::UnitedStates)
                                       : QLocale(QLocale::Czech, QLocale::Czechia);

    QByteArray bytes(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    CheckingSink sink;
    const TableResult result = processTable(in, sink, options, locale);
    if (!result.usageError.isEmpty()) {
        if (!sink.all.empty())
            fail("output before a usage error");
        return 0;
    }
    if (sink.through != bytes.toStdString())
        fail("the input did not pass through byte for byte");
    const long long rows = result.summary.computed + result.summary.failed;
    // One part per row, and one more for the header row where there is one.
    const long long extra = sink.appendedParts - rows;
    if (extra < 0 || extra > (options.noHeader ? 0 : 1))
        fail("appended parts and rows disagree");
    if (std::count(sink.all.begin(), sink.all.end(), '\n') !=
        std::count(sink.through.begin(), sink.through.end(), '\n'))
        fail("line breaks added or lost");
    return 0;
}
