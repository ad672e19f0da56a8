#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QIODevice;

// The zip container of workbooks, through zlib's minizip: entries read piece by piece, written
// anew, or copied with their compressed bytes as they are.
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

class ZipWriter
{
public:
    explicit ZipWriter(QIODevice &device);
    ~ZipWriter();
    ZipWriter(const ZipWriter &) = delete;
    ZipWriter &operator=(const ZipWriter &) = delete;

    // An entry written anew, deflated, with the date and attributes of the one it replaces.
    bool add(const ZipEntry &like, const QByteArray &data);
    // An entry copied from a reader with its compressed bytes as they are.
    bool copy(ZipReader &from, const ZipEntry &entry);
    bool close();

private:
    bool begin(const ZipEntry &entry, bool raw, int method);
    void *m_zip = nullptr;
    std::unique_ptr<struct ZipIo> m_io;
};

} // namespace mezni
