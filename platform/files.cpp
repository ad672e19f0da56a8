#include "files.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <optional>
#include <tuple>
#include <utility>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

using Identity = std::pair<quint64, quint64>;

#ifdef Q_OS_WIN
std::optional<Identity> identityOf(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(handle, &info))
        return std::nullopt;
    return Identity{info.dwVolumeSerialNumber,
                    (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<Identity> identityOf(int fd)
{
    return fd < 0 ? std::nullopt : identityOf(HANDLE(_get_osfhandle(fd)));
}

std::optional<Identity> identityOf(const QString &path)
{
    const HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const std::optional<Identity> id = identityOf(handle);
    CloseHandle(handle);
    return id;
}
#else
std::optional<Identity> identityOf(const struct stat &st)
{
    if (!S_ISREG(st.st_mode))
        return std::nullopt;
    return Identity{quint64(st.st_dev), quint64(st.st_ino)};
}

std::optional<Identity> identityOf(int fd)
{
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0)
        return std::nullopt;
    return identityOf(st);
}

std::optional<Identity> identityOf(const QString &path)
{
    struct stat st;
    if (stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return identityOf(st);
}
#endif

std::optional<Identity> identityOf(QIODevice &device)
{
    auto *file = qobject_cast<QFileDevice *>(&device);
    if (!file || !file->isOpen())
        return std::nullopt;
    if (!file->fileName().isEmpty())
        return identityOf(file->fileName());
    return identityOf(file->handle());
}

} // namespace

bool sameFile(QIODevice &a, QIODevice &b)
{
    const std::optional<Identity> x = identityOf(a);
    return x && x == identityOf(b);
}

bool sameFile(QIODevice &device, const QString &path)
{
    const std::optional<Identity> x = identityOf(device);
    return x && x == identityOf(path);
}

FileStamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    FileStamp stamp;
    if (!info.exists())
        return stamp;
    stamp.exists = true;
    if (const std::optional<Identity> id = identityOf(path))
        std::tie(stamp.device, stamp.number) = *id;
    stamp.size = info.size();
    stamp.modified = info.lastModified().toMSecsSinceEpoch();
    return stamp;
}

void clearSystemError()
{
    errno = 0;
#ifdef Q_OS_WIN
    SetLastError(ERROR_SUCCESS);
#endif
}

bool syncToDisk(QFileDevice &file)
{
    const int fd = file.handle();
#ifdef Q_OS_WIN
    // A file opened by name has no descriptor here; its writes on a local disk failed already
    // where the disk was full.
    if (fd < 0)
        return true;
    const HANDLE handle = HANDLE(_get_osfhandle(fd));
    return GetFileType(handle) != FILE_TYPE_DISK || FlushFileBuffers(handle);
#else
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return true;
    return fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
#endif
}

QString writeFailure(const QString &fallback)
{
    int error = errno;
#ifdef Q_OS_WIN
    // Files opened by name are written through the Windows API, which sets its own error.
    switch (GetLastError()) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        error = ENOSPC;
        break;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        error = EPIPE;
        break;
    case ERROR_INVALID_HANDLE:
        error = EBADF;
        break;
    default:
        break;
    }
#endif
    switch (error) {
    case ENOSPC:
        return u"na disku není místo"_s;
    case EPIPE:
        return u"program, který výstup četl, skončil"_s;
    case EBADF:
        return u"výstup je zavřený"_s;
#ifdef EDQUOT
    case EDQUOT:
        return u"je vyčerpána disková kvóta"_s;
#endif
    case EFBIG:
        return u"soubor by byl příliš velký"_s;
    case EIO:
        return u"chyba zařízení"_s;
    default:
        return fallback;
    }
}

} // namespace mezni
