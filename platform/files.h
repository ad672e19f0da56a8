#pragma once

#include <QString>
#include <QtGlobal>

class QFileDevice;
class QIODevice;

namespace mezni {

// True where the two are one regular file on disk (same device and file number), as when a
// table's output is redirected into the table itself; false where either is not a regular file
// or cannot be looked at. A device that is no file (a buffer) is never the same.
bool sameFile(QIODevice &a, QIODevice &b);
bool sameFile(QIODevice &device, const QString &path);

// A file on disk as it is at one moment: which file, how long, when last written. Two stamps
// differ once it is written again, replaced (as programs save: a new file renamed over it) or
// removed.
struct FileStamp
{
    bool exists = false;
    quint64 device = 0, number = 0; // none for what is no regular file
    qint64 size = -1;
    qint64 modified = 0; // milliseconds since the epoch
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};
FileStamp stampOf(const QString &path);

// Forgets the system's last error, so that the reason of a write failing after it is its own.
void clearSystemError();
// The reason in words for the write that just failed, Czech where it is a common one (a full
// disk, a closed output, a pipe whose reader has gone), else the device's own.
QString writeFailure(const QString &fallback);

// What the system still holds of a regular file written to its disk, there: a full disk or a
// network share that failed shows here if not before. True for what is no regular file.
bool syncToDisk(QFileDevice &file);

} // namespace mezni
