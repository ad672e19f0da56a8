#include "checkedoutput.h"

#include "files.h"

#include <QIODevice>
#include <QSaveFile>

namespace mezni {

namespace {
constexpr std::size_t bufferSize = 1 << 18;
}

CheckedOutput::CheckedOutput(QIODevice &device) : m_device(device)
{
    m_buffer.reserve(bufferSize);
}

bool CheckedOutput::add(const QString &text)
{
    return add(text.toUtf8().toStdString());
}

bool CheckedOutput::add(std::string_view bytes)
{
    if (!m_error.isEmpty())
        return false;
    m_buffer += bytes;
    return m_buffer.size() < bufferSize || flush();
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
        if (written <= 0) {
            m_error = writeFailure(m_device.errorString());
            return false;
        }
        done += std::size_t(written);
    }
    m_buffer.clear();
    return true;
}

bool CheckedOutput::finish()
{
    if (!flush())
        return false;
    auto *file = qobject_cast<QSaveFile *>(&m_device);
    if (file && !file->commit()) {
        m_error = file->errorString();
        return false;
    }
    return true;
}

} // namespace mezni
