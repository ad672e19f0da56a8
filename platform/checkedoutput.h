#pragma once

#include <QFile>
#include <QSaveFile>
#include <QString>
#include <string>
#include <string_view>

class QIODevice;

namespace mezni {

// A device written through a buffer, every write checked: the first failure is kept and
// everything after it refused, so that a run never reports what it could not write.
class CheckedOutput final
{
public:
    explicit CheckedOutput(QIODevice &device);

    bool write(std::string_view bytes);
    bool write(const QString &text);

    // The buffer to the device.
    bool flush();
    // Everything to its end: the buffer, the device's own, and a file that replaces another on
    // disk and in its place (the earlier file stays as it was on any failure before).
    bool finish();
    // Refused for a reason of the caller's (what was written no longer stands): nothing more is
    // written and a file being replaced stays as it was.
    void refuse(const QString &why);
    // Why the output failed, or nothing.
    const QString &error() const { return m_error; }
    QIODevice &device() const { return m_device; }

private:
    bool fail(const QString &fallback);

    QIODevice &m_device;
    std::string m_buffer;
    QString m_error;
    bool m_finished = false;
};

// An output named by its path: a file (new or regular) is written beside and replaces it only at
// CheckedOutput::finish(); a device or a pipe by its name ("/dev/stdout") is written as it is.
// Unbuffered, so that every write reaches the system and is checked there.
class OutputFile final
{
public:
    explicit OutputFile(const QString &path);
    // False where it cannot be written; errorString() says why.
    bool open();
    QIODevice &device();
    QString errorString() const;

private:
    QSaveFile m_replaced;
    QFile m_direct;
    QFileDevice *m_file;
};

} // namespace mezni
