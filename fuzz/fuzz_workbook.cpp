// Feeds the workbook reader sheets of arbitrary XML (and shared strings, styles), packed into a
// workbook here, and checks what any workbook must come out as: no crash, a usage error that wrote
// nothing, or a workbook with the same parts whose sheet is well-formed XML again.
// Input layout: 1 byte of flags (bit 0: an OpenDocument spreadsheet instead of Office Open XML;
// bit 1: no shared strings; bit 2: no styles; bit 3: no workbook relationships), then the parts
// separated by a byte 0x1E: the sheet (an OpenDocument's content.xml), the shared strings, the
// styles.

#include "table.h"
#include "zip.h"

#include <QBuffer>
#include <QLocale>
#include <QXmlStreamReader>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace mezni;

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

class Collect final : public TableOutput
{
public:
    QByteArray bytes;
    bool passThrough(std::string_view b) override
    {
        bytes.append(b.data(), qsizetype(b.size()));
        return true;
    }
    bool appended(std::string_view b) override { return passThrough(b); }
};

void add(ZipWriter &zip, const char *name, const QByteArray &data)
{
    ZipEntry e;
    e.name = name;
    e.method = std::string_view(name) == "mimetype" ? 0 : 8;
    e.dosDate = 0x5A210000; // a fixed date: the input is all that varies
    zip.add(e, std::string_view(data.constData(), std::size_t(data.size())));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint8_t flags = data[0];
    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)).split('\x1E');
    const QByteArray sheet = parts.value(0), shared = parts.value(1), styles = parts.value(2);

    Collect workbook;
    {
        ZipWriter zip(workbook);
        if (flags & 1) {
            add(zip, "mimetype", "application/vnd.oasis.opendocument.spreadsheet");
            add(zip, "content.xml", sheet);
        } else {
            add(zip, "[Content_Types].xml", "<Types/>");
            add(zip, "_rels/.rels",
                "<Relationships><Relationship Type=\"x/officeDocument\" "
                "Target=\"xl/workbook.xml\" Id=\"rId1\"/></Relationships>");
            add(zip, "xl/workbook.xml",
                "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                "relationships\"><sheets><sheet name=\"A\" r:id=\"rId1\"/></sheets></workbook>");
            if (!(flags & 8))
                add(zip, "xl/_rels/workbook.xml.rels",
                    "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" "
                    "Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
                    "Type=\"x/sharedStrings\" Target=\"sharedStrings.xml\"/><Relationship "
                    "Id=\"rId3\" Type=\"x/styles\" Target=\"styles.xml\"/></Relationships>");
            add(zip, "xl/worksheets/sheet1.xml", sheet);
            if (!(flags & 2))
                add(zip, "xl/sharedStrings.xml", shared);
            if (!(flags & 4))
                add(zip, "xl/styles.xml", styles);
        }
        zip.finish();
    }
    QByteArray bytes = workbook.bytes;
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    Collect out;
    TableOptions options;
    options.areaColumn = QStringLiteral("1");
    const TableResult result = processTable(in, &out, options, QLocale::c());
    if (!result.usageError.isEmpty()) {
        if (!out.bytes.isEmpty())
            fail("output before a usage error");
        return 0;
    }
    if (result.outputFailed)
        return 0;
    // The same parts, the sheet well-formed XML.
    QBuffer written(&out.bytes);
    written.open(QIODevice::ReadOnly);
    ZipReader before(in), after(written);
    if (!after.isValid() || before.entries().size() != after.entries().size())
        fail("the workbook written is no workbook with the same parts");
    for (std::size_t i = 0; i < before.entries().size(); ++i)
        if (before.entries()[i].name != after.entries()[i].name)
            fail("the parts changed their names or order");
    const std::string part = flags & 1 ? "content.xml" : "xl/worksheets/sheet1.xml";
    const std::optional<QByteArray> rewritten = after.read(part, qint64(1) << 30);
    if (!rewritten)
        fail("the sheet written cannot be read back");
    QXmlStreamReader xml(*rewritten);
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError()) {
        const qint64 at = xml.characterOffset();
        std::fprintf(stderr, "%s at %lld: %s\n", qPrintable(xml.errorString()),
                     static_cast<long long>(at),
                     rewritten->mid(std::max<qint64>(0, at - 80), 120).constData());
        fail("the sheet written is no well-formed XML");
    }
    return 0;
}
