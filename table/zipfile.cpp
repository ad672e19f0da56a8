#include "zipfile.h"

#include <QIODevice>
#include <minizip/unzip.h>
#include <minizip/zip.h>

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

ZipWriter::ZipWriter(QIODevice &device) : m_io(std::make_unique<ZipIo>(device))
{
    m_zip = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &m_io->functions);
}

ZipWriter::~ZipWriter()
{
    if (m_zip)
        zipClose(m_zip, nullptr);
}

bool ZipWriter::begin(const ZipEntry &entry, bool raw, int method)
{
    zip_fileinfo info{};
    info.dosDate = entry.dosDate;
    info.internal_fa = entry.internalAttributes;
    info.external_fa = entry.externalAttributes;
    // The general purpose flag of the entry copied, but for the data descriptor, which minizip
    // writes on its own terms.
    const auto flagBase = uLong(entry.flag & ~0x0008u & ~0x0001u);
    return m_zip && zipOpenNewFileInZip4_64(m_zip, entry.name.c_str(), &info, nullptr, 0, nullptr,
                                            0, nullptr, method, Z_DEFAULT_COMPRESSION, raw ? 1 : 0,
                                            -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr,
                                            0, uLong(entry.versionMadeBy), flagBase,
                                            entry.size >= 0xFFFFFFFFull ? 1 : 0) == ZIP_OK;
}

bool ZipWriter::add(const ZipEntry &like, const QByteArray &data)
{
    // A stored entry (an OpenDocument's "mimetype") stays stored.
    const int method = like.method == 0 ? 0 : Z_DEFLATED;
    ZipEntry entry = like;
    entry.size = quint64(data.size());
    return begin(entry, false, method) &&
           zipWriteInFileInZip(m_zip, data.constData(), unsigned(data.size())) == ZIP_OK &&
           zipCloseFileInZip(m_zip) == ZIP_OK;
}

bool ZipWriter::copy(ZipReader &from, const ZipEntry &entry)
{
    if (!from.open(entry.name, true) || !begin(entry, true, int(entry.method)))
        return false;
    char buffer[1 << 16];
    for (;;) {
        const qint64 got = from.readSome(buffer, sizeof buffer);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (zipWriteInFileInZip(m_zip, buffer, unsigned(got)) != ZIP_OK)
            return false;
    }
    from.close();
    return zipCloseFileInZipRaw64(m_zip, entry.size, entry.crc) == ZIP_OK;
}

bool ZipWriter::close()
{
    const bool ok = m_zip && zipClose(m_zip, nullptr) == ZIP_OK;
    m_zip = nullptr;
    return ok;
}

} // namespace mezni
