#pragma once

#include "tablesource.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

// The zip container of workbooks: read through zlib's minizip, entries piece by piece; written as
// a stream (zlib's deflate), entries anew or copied with their compressed bytes as they are.
namespace mezni {

struct ZipEntry
{
    std::string name;
    quint32 method = 0; // 0 stored, 8 deflated
    quint32 flag = 0;
    quint32 dosDate = 0;
    quint32 crc = 0;
    quint64 compressedSize = 0;
    quint64 size = 0;
    quint32 internalAttributes = 0;
    quint32 externalAttributes = 0;
    quint32 versionMadeBy = 0;

    bool encrypted() const { return flag & 1; }
};

class ZipReader
{
public:
    // The device stays open and seekable while the reader lives.
    explicit ZipReader(QIODevice &device);
    ~ZipReader();
    ZipReader(const ZipReader &) = delete;
    ZipReader &operator=(const ZipReader &) = delete;

    bool isValid() const { return m_zip != nullptr; }
    const std::vector<ZipEntry> &entries() const { return m_entries; }
    const ZipEntry *find(const std::string &name) const;

    // An entry, uncompressed, whole; nothing where it is missing, damaged, encrypted or longer
    // than limit.
    std::optional<QByteArray> read(const std::string &name, qint64 limit);

    // An entry read piece by piece: open, then readSome() until it gives 0 (the end) or -1 (an
    // error: damaged data, a wrong checksum).
    bool open(const std::string &name, bool raw = false);
    qint64 readSome(char *data, qint64 size);
    bool close();

private:
    void *m_zip = nullptr;
    std::vector<ZipEntry> m_entries;
    std::unique_ptr<struct ZipIo> m_io;
};

// A zip written as a stream of bytes: each entry's local header, its data, for an entry written
// as it is deflated a data descriptor after it, then the central directory. Nothing is sought
// back, so it goes through the checked output to a file or a pipe alike, as it is made.
class ZipWriter
{
public:
    explicit ZipWriter(TableOutput &out);
    ~ZipWriter();
    ZipWriter(const ZipWriter &) = delete;
    ZipWriter &operator=(const ZipWriter &) = delete;

    // An entry copied from a reader with its compressed bytes as they are.
    bool copy(ZipReader &from, const ZipEntry &entry);
    // An entry written anew whole, deflated (stored where the one it replaces was), with the date
    // and attributes of the one it replaces.
    bool add(const ZipEntry &like, std::string_view data);
    // An entry deflated as it is written: begin(), write() as often as needed, end().
    bool begin(const ZipEntry &like);
    bool write(std::string_view data);
    bool end();
    // The central directory: the zip is complete.
    bool finish();
    // Why writing failed where it was not the output (the output's own reason is its own).
    const QString &error() const { return m_error; }

private:
    struct Written
    {
        ZipEntry entry;
        quint64 offset;
        quint16 flag;
    };
    bool header(const ZipEntry &entry, quint16 flag, bool sizesKnown);
    bool put(std::string_view bytes);
    bool fits(quint64 value);
    bool putDeflated(bool all);

    TableOutput &m_out;
    quint64 m_offset = 0;
    std::vector<Written> m_written;
    std::unique_ptr<class Deflater> m_deflater;
    std::string m_piece;
    ZipEntry m_current;
    QString m_error;
};

} // namespace mezni
