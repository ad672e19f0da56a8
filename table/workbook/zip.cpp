#include "zip.h"

#include "handoff.h"

#include <QIODevice>
#include <cstring>
#include <minizip/unzip.h>
#include <thread>
#include <zlib.h>

namespace mezni {

// minizip's file functions on a Qt device.
struct ZipIo
{
    QIODevice &device;
    zlib_filefunc64_def functions{};

    explicit ZipIo(QIODevice &d) : device(d)
    {
        functions.zopen64_file = [](voidpf opaque, const void *, int) -> voidpf {
            return opaque;
        };
        functions.zread_file = [](voidpf opaque, voidpf, void *buffer, uLong size) -> uLong {
            const qint64 got = static_cast<ZipIo *>(opaque)->device.read(
                static_cast<char *>(buffer), qint64(size));
            return got < 0 ? 0 : uLong(got);
        };
        functions.zwrite_file = [](voidpf opaque, voidpf, const void *buffer, uLong size) -> uLong {
            const qint64 written = static_cast<ZipIo *>(opaque)->device.write(
                static_cast<const char *>(buffer), qint64(size));
            return written < 0 ? 0 : uLong(written);
        };
        functions.ztell64_file = [](voidpf opaque, voidpf) -> ZPOS64_T {
            return ZPOS64_T(static_cast<ZipIo *>(opaque)->device.pos());
        };
        functions.zseek64_file = [](voidpf opaque, voidpf, ZPOS64_T offset, int origin) -> long {
            QIODevice &d = static_cast<ZipIo *>(opaque)->device;
            const qint64 base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? d.pos()
                                : origin == ZLIB_FILEFUNC_SEEK_END ? d.size()
                                                                   : 0;
            return d.seek(base + qint64(offset)) ? 0 : -1;
        };
        functions.zclose_file = [](voidpf, voidpf) -> int {
            return 0;
        };
        functions.zerror_file = [](voidpf, voidpf) -> int {
            return 0;
        };
        functions.opaque = this;
    }
};

ZipReader::ZipReader(QIODevice &device) : m_io(std::make_unique<ZipIo>(device))
{
    if (!device.isOpen() || device.isSequential())
        return;
    device.seek(0);
    m_zip = unzOpen2_64("", &m_io->functions);
    if (!m_zip)
        return;
    for (int at = unzGoToFirstFile(m_zip); at == UNZ_OK; at = unzGoToNextFile(m_zip)) {
        unz_file_info64 info;
        char name[4096];
        if (unzGetCurrentFileInfo64(m_zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
            UNZ_OK) {
            unzClose(m_zip);
            m_zip = nullptr;
            return;
        }
        m_entries.push_back(
            {std::string(name, std::min<std::size_t>(info.size_filename, sizeof name - 1)),
             quint32(info.compression_method), quint32(info.flag), quint32(info.dosDate),
             quint32(info.crc), quint64(info.compressed_size), quint64(info.uncompressed_size),
             quint32(info.internal_fa), quint32(info.external_fa), quint32(info.version)});
    }
}

ZipReader::~ZipReader()
{
    if (m_zip)
        unzClose(m_zip);
}

const ZipEntry *ZipReader::find(const std::string &name) const
{
    for (const ZipEntry &e : m_entries)
        if (e.name == name)
            return &e;
    return nullptr;
}

bool ZipReader::open(const std::string &name, bool raw)
{
    const ZipEntry *entry = find(name);
    if (!m_zip || !entry || entry->encrypted() ||
        unzLocateFile(m_zip, name.c_str(), 1 /* case sensitive */) != UNZ_OK)
        return false;
    int method = 0, level = 0;
    return unzOpenCurrentFile3(m_zip, &method, &level, raw ? 1 : 0, nullptr) == UNZ_OK;
}

qint64 ZipReader::readSome(char *data, qint64 size)
{
    const int got = unzReadCurrentFile(m_zip, data, unsigned(std::min<qint64>(size, 1 << 20)));
    return got < 0 ? -1 : got;
}

bool ZipReader::close()
{
    // A wrong checksum shows here, once everything has been read.
    return unzCloseCurrentFile(m_zip) == UNZ_OK;
}

std::optional<QByteArray> ZipReader::read(const std::string &name, qint64 limit)
{
    const ZipEntry *entry = find(name);
    if (!entry || qint64(entry->size) > limit || !open(name))
        return std::nullopt;
    QByteArray data(qsizetype(entry->size), Qt::Uninitialized);
    qint64 done = 0;
    for (qint64 got = 0; done < data.size(); done += got) {
        got = readSome(data.data() + done, data.size() - done);
        if (got <= 0)
            break;
    }
    char extra;
    const bool ended = readSome(&extra, 1) == 0;
    if (!close() || !ended || done != data.size())
        return std::nullopt;
    return data;
}

namespace {

constexpr quint32 localSignature = 0x04034b50, descriptorSignature = 0x08074b50,
                  centralSignature = 0x02014b50, endSignature = 0x06054b50;
constexpr quint16 dataDescriptor = 0x0008;
constexpr quint16 versionNeeded = 20; // deflate
constexpr std::size_t deflatedPiece = 1 << 18;

void put16(std::string &out, quint32 value)
{
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

void put32(std::string &out, quint32 value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

} // namespace

// A sheet's XML repeats itself so much that zlib's level 5 (shorter searches for a match) makes
// it 1 % larger than the default level 6 does, in about 60 % of the time.
constexpr int deflateLevel = 5;

// An entry written as it is made is deflated on a thread of its own, beside the scanning that
// makes it: deflating is the larger half of writing a sheet, and on two cores the sheet is then
// written in about the time its deflating alone takes. The output itself is written by the
// caller only.
class Deflater
{
public:
    Deflater()
    {
        deflateInit2(&m_stream, deflateLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        m_thread = std::thread([this] { work(); });
    }
    ~Deflater()
    {
        m_pieces.stop();
        m_deflated.stop();
        m_thread.join();
        deflateEnd(&m_stream);
    }
    Deflater(const Deflater &) = delete;
    Deflater &operator=(const Deflater &) = delete;

    Handoff &pieces() { return m_pieces; }     // to deflate; finish() ends the stream
    Handoff &deflated() { return m_deflated; } // ends once the last piece is deflated

    quint32 crc = 0;
    quint64 size = 0, compressed = 0; // read once deflated() has ended

private:
    void work()
    {
        std::string piece, out;
        for (;;) {
            const bool more = m_pieces.pop(piece, true);
            if (!more)
                piece.clear();
            if (!deflatePiece(piece, more ? Z_NO_FLUSH : Z_FINISH, out)) {
                m_deflated.finish(false);
                return;
            }
            if (!out.empty() && !m_deflated.push(std::move(out)))
                return;
            out = {};
            if (!more) {
                m_deflated.finish(!m_pieces.failed());
                return;
            }
        }
    }

    bool deflatePiece(std::string &data, int flush, std::string &out)
    {
        crc =
            quint32(::crc32(crc, reinterpret_cast<const Bytef *>(data.data()), uInt(data.size())));
        size += data.size();
        m_stream.next_in = reinterpret_cast<Bytef *>(data.data());
        m_stream.avail_in = uInt(data.size());
        for (;;) {
            const std::size_t had = out.size();
            out.resize(had + deflatedPiece);
            m_stream.next_out = reinterpret_cast<Bytef *>(out.data() + had);
            m_stream.avail_out = uInt(deflatedPiece);
            const int result = deflate(&m_stream, flush);
            out.resize(had + deflatedPiece - m_stream.avail_out);
            if (result == Z_STREAM_END ||
                (flush == Z_NO_FLUSH && m_stream.avail_in == 0 && m_stream.avail_out > 0))
                break;
            if (result != Z_OK && result != Z_BUF_ERROR)
                return false;
        }
        compressed += out.size();
        return true;
    }

    z_stream m_stream{};
    Handoff m_pieces{2}, m_deflated{std::size_t(-1)};
    std::thread m_thread;
};

ZipWriter::ZipWriter(TableOutput &out) : m_out(out) {}

ZipWriter::~ZipWriter() = default;

bool ZipWriter::put(std::string_view bytes)
{
    m_offset += bytes.size();
    return m_out.passThrough(bytes);
}

// The classic zip keeps sizes and offsets in 32 bits: a workbook past them is not written.
bool ZipWriter::fits(quint64 value)
{
    if (value < 0xFFFFFFFFu)
        return true;
    if (m_error.isEmpty())
        m_error = QStringLiteral("sešit by byl větší než 4 GiB, které program zapíše");
    return false;
}

bool ZipWriter::header(const ZipEntry &entry, quint16 flag, bool sizesKnown)
{
    if (!fits(m_offset) || (sizesKnown && (!fits(entry.size) || !fits(entry.compressedSize))) ||
        entry.name.size() > 0xFFFF || m_written.size() >= 0xFFFF) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("sešit má víc částí, než program zapíše");
        return false;
    }
    m_written.push_back({entry, m_offset, flag});
    std::string h;
    put32(h, localSignature);
    put16(h, versionNeeded);
    put16(h, flag);
    put16(h, entry.method);
    put16(h, entry.dosDate & 0xFFFF);
    put16(h, entry.dosDate >> 16);
    put32(h, sizesKnown ? entry.crc : 0);
    put32(h, sizesKnown ? quint32(entry.compressedSize) : 0);
    put32(h, sizesKnown ? quint32(entry.size) : 0);
    put16(h, quint32(entry.name.size()));
    put16(h, 0);
    h += entry.name;
    return put(h);
}

bool ZipWriter::copy(ZipReader &from, const ZipEntry &entry)
{
    const auto flag = quint16(entry.flag & ~(dataDescriptor | 1u));
    if (!header(entry, flag, true) || !from.open(entry.name, true))
        return false;
    char buffer[1 << 16];
    quint64 copied = 0;
    for (;;) {
        const qint64 got = from.readSome(buffer, sizeof buffer);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        copied += quint64(got);
        if (!put(std::string_view(buffer, std::size_t(got))))
            return false;
    }
    from.close();
    return copied == entry.compressedSize;
}

bool ZipWriter::add(const ZipEntry &like, std::string_view data)
{
    if (like.method != 0)
        return begin(like) && write(data) && end();
    // A stored entry (an OpenDocument's "mimetype") stays stored, its sizes in its header.
    ZipEntry entry = like;
    entry.size = entry.compressedSize = data.size();
    entry.crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(data.data()), uInt(data.size())));
    return header(entry, quint16(like.flag & ~(dataDescriptor | 1u)), true) && put(data);
}

bool ZipWriter::begin(const ZipEntry &like)
{
    m_current = like;
    m_current.method = Z_DEFLATED;
    m_deflater = std::make_unique<Deflater>();
    return header(m_current, quint16((like.flag & ~1u) | dataDescriptor), false);
}

// What has been deflated so far goes out; with all, until the entry's end.
bool ZipWriter::putDeflated(bool all)
{
    Handoff &deflated = m_deflater->deflated();
    while (deflated.pop(m_piece, all))
        if (!put(m_piece))
            return false;
    return !deflated.failed();
}

bool ZipWriter::write(std::string_view data)
{
    return m_deflater->pieces().push(std::string(data)) && putDeflated(false);
}

bool ZipWriter::end()
{
    Deflater &d = *m_deflater;
    d.pieces().finish();
    if (!putDeflated(true))
        return false;
    if (!fits(d.size) || !fits(d.compressed))
        return false;
    ZipEntry &entry = m_written.back().entry;
    entry.crc = d.crc;
    entry.size = d.size;
    entry.compressedSize = d.compressed;
    std::string descriptor;
    put32(descriptor, descriptorSignature);
    put32(descriptor, entry.crc);
    put32(descriptor, quint32(entry.compressedSize));
    put32(descriptor, quint32(entry.size));
    m_deflater.reset();
    return put(descriptor);
}

bool ZipWriter::finish()
{
    const quint64 start = m_offset;
    std::string directory;
    for (const Written &w : m_written) {
        const ZipEntry &e = w.entry;
        put32(directory, centralSignature);
        put16(directory, e.versionMadeBy);
        put16(directory, versionNeeded);
        put16(directory, w.flag);
        put16(directory, e.method);
        put16(directory, e.dosDate & 0xFFFF);
        put16(directory, e.dosDate >> 16);
        put32(directory, e.crc);
        put32(directory, quint32(e.compressedSize));
        put32(directory, quint32(e.size));
        put16(directory, quint32(e.name.size()));
        put16(directory, 0); // extra
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, e.internalAttributes);
        put32(directory, e.externalAttributes);
        put32(directory, quint32(w.offset));
        directory += e.name;
    }
    const quint64 size = directory.size();
    if (!fits(start + size))
        return false;
    put32(directory, endSignature);
    put16(directory, 0);
    put16(directory, 0);
    put16(directory, quint32(m_written.size()));
    put16(directory, quint32(m_written.size()));
    put32(directory, quint32(size));
    put32(directory, quint32(start));
    put16(directory, 0);
    return put(directory);
}

} // namespace mezni
