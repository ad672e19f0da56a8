#pragma once

#include <QString>

class QIODevice;

namespace mezni {

// True where the two are one regular file on disk (same device and file number), as when a
// table's output is redirected into the table itself; false where either is not a regular file
// or cannot be looked at. A device that is no file (a buffer) is never the same.
bool sameFile(QIODevice &a, QIODevice &b);
bool sameFile(QIODevice &device, const QString &path);

// The reason in words for the last failed write (errno), Czech where it is a common one.
QString writeFailure(int error, const QString &fallback);

} // namespace mezni
