#include "checkedoutput.h"

#include "files.h"

#include <QFileInfo>
#include <QIODevice>
#include <utility>

namespace mezni {

namespace {
constexpr std::size_t bufferSize = 1 << 18;
}

CheckedOutput::CheckedOutput(QIODevice &device) : m_device(device)
{
    m_buffer.reserve(bufferSize);
}

bool CheckedOutput::write(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return write(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

bool CheckedOutput::write(std::string_view bytes)
{
    if (!m_error.isEmpty())
        return false;
    m_buffer += bytes;
    return m_buffer.size() < bufferSize || flush();
}

bool CheckedOutput::fail(const QString &fallback)
{
    m_error = writeFailure(fallback);
    return false;
}

void CheckedOutput::refuse(const QString &why)
{
    if (m_error.isEmpty())
        m_error = why;
}

bool CheckedOutput::flush()
{
    if (!m_error.isEmpty())
        return false;
    if (!m_device.isOpen() || !m_device.isWritable()) {
        m_error = QStringLiteral("výstup je zavřený");
        return false;
    }
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        clearSystemError();
        const qint64 written =
            m_device.write(m_buffer.data() + done, qint64(m_buffer.size() - done));
        if (written <= 0)
            return fail(m_device.errorString());
        done += std::size_t(written);
    }
    m_buffer.clear();
    return true;
}

bool CheckedOutput::finish()
{
    // Once: a file replaces the other only once.
    if (std::exchange(m_finished, true))
        return m_error.isEmpty();
    if (!flush())
        return false;
    auto *file = qobject_cast<QFileDevice *>(&m_device);
    if (!file)
        return true;
    // What the device itself still holds: Qt's own buffer, then for a file about to replace
    // another the system's, so that a full disk shows before the earlier file is gone.
    clearSystemError();
    if (!file->flush())
        return fail(file->errorString());
    auto *replacing = qobject_cast<QSaveFile *>(file);
    if (!replacing)
        return true;
    clearSystemError();
    if (!syncToDisk(*file))
        return fail(file->errorString());
    clearSystemError();
    if (!replacing->commit())
        return fail(replacing->errorString());
    return true;
}

OutputFile::OutputFile(const QString &path) : m_replaced(path), m_direct(path)
{
    const QFileInfo info(path);
    m_file = info.exists() && !info.isFile() && !info.isDir()
                 ? static_cast<QFileDevice *>(&m_direct)
                 : static_cast<QFileDevice *>(&m_replaced);
}

bool OutputFile::open()
{
    return m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

QIODevice &OutputFile::device()
{
    return *m_file;
}

QString OutputFile::errorString() const
{
    return m_file->errorString();
}

} // namespace mezni
