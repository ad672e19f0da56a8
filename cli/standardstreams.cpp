#include "standardstreams.h"

#include "windows1250.h"

#include <QFile>
#include <QStringDecoder>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace mezni {

using namespace Qt::StringLiterals;

namespace {

// Bytes in a table's encoding (or UTF-8), decoded across writes for a reader that takes text.
class TextDecoder
{
public:
    void set(ConsoleText text)
    {
        m_text = text;
        m_decoder = QStringDecoder(text == ConsoleText::Utf16LE   ? QStringConverter::Utf16LE
                                   : text == ConsoleText::Utf16BE ? QStringConverter::Utf16BE
                                                                  : QStringConverter::Utf8);
    }
    bool isUtf8() const { return m_text == ConsoleText::Utf8; }
    QString decode(QByteArrayView bytes)
    {
        // Windows-1250 has one character a byte: nothing to carry across writes.
        return m_text == ConsoleText::Windows1250 ? windows1250::decode(bytes)
                                                  : m_decoder.decode(bytes);
    }

private:
    ConsoleText m_text = ConsoleText::Utf8;
    QStringDecoder m_decoder{QStringConverter::Utf8};
};

#ifdef Q_OS_WIN
// A console takes UTF-16 text; bytes written are UTF-8 (or as set), decoded across writes.
class ConsoleDevice final : public QIODevice
{
public:
    explicit ConsoleDevice(HANDLE console) : m_console(console)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

    void setText(ConsoleText text) { m_decoder.set(text); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        const QString text = m_decoder.decode(QByteArrayView(data, size));
        const auto *chars = reinterpret_cast<const wchar_t *>(text.utf16());
        qsizetype done = 0;
        while (done < text.size()) {
            DWORD written = 0;
            const DWORD count = DWORD(std::min<qsizetype>(text.size() - done, 8192));
            if (!WriteConsoleW(m_console, chars + done, count, &written, nullptr) || written == 0)
                return -1;
            done += qsizetype(written);
        }
        return size;
    }

private:
    HANDLE m_console;
    TextDecoder m_decoder;
};

// A standard stream that goes to a file or a pipe: text for people in the code page of the
// console the program was run from (none: UTF-8), which type, more and findstr read there.
class RedirectedStream final : public QFile
{
public:
    const UINT codePage = GetConsoleOutputCP();
};

std::unique_ptr<QIODevice> output(int fd, DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode))
        return std::make_unique<ConsoleDevice>(handle);
    auto file = std::make_unique<RedirectedStream>();
    if (_setmode(fd, _O_BINARY) != -1)
        file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered);
    return file;
}
#else
// A closed stream's number is taken by /dev/null, opened the wrong way for it so that its writes
// still fail; true where the stream was open.
bool keepOpen(int fd, int flags)
{
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
        return true;
    const int opened = open("/dev/null", flags);
    if (opened >= 0 && opened != fd) {
        dup2(opened, fd);
        close(opened);
    }
    return false;
}

// A terminal shows UTF-8: a table in another encoding is decoded for it, as a Windows console
// shows it; a file or a pipe gets the table's own bytes.
class TerminalFile final : public QFile
{
public:
    void setText(ConsoleText text) { m_decoder.set(text); }

protected:
    qint64 writeData(const char *data, qint64 size) override
    {
        if (m_decoder.isUtf8())
            return QFile::writeData(data, size);
        const QByteArray utf8 = m_decoder.decode(QByteArrayView(data, size)).toUtf8();
        for (qint64 done = 0; done < utf8.size();) {
            const qint64 n = QFile::writeData(utf8.constData() + done, utf8.size() - done);
            if (n <= 0)
                return -1;
            done += n;
        }
        return size;
    }

private:
    TextDecoder m_decoder;
};

std::unique_ptr<QIODevice> output(int fd)
{
    std::unique_ptr<QFile> file;
    if (isatty(fd))
        file = std::make_unique<TerminalFile>();
    else
        file = std::make_unique<QFile>();
    if (keepOpen(fd, O_RDONLY))
        file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered);
    return file;
}
#endif

} // namespace

StandardStreams standardStreams()
{
    StandardStreams streams;
    auto in = std::make_unique<QFile>();
#ifdef Q_OS_WIN
    if (_setmode(0, _O_BINARY) != -1)
        in->open(0, QIODevice::ReadOnly);
    streams.out = output(1, STD_OUTPUT_HANDLE);
    streams.err = output(2, STD_ERROR_HANDLE);
#else
    if (keepOpen(0, O_WRONLY))
        in->open(0, QIODevice::ReadOnly);
    streams.out = output(1);
    streams.err = output(2);
#endif
    streams.in = std::move(in);
    return streams;
}

bool isTerminal(const QIODevice &device)
{
#ifdef Q_OS_WIN
    // Windows' isatty() is true for the NUL device too: a console is what was opened as one.
    return dynamic_cast<const ConsoleDevice *>(&device) != nullptr;
#else
    const auto *file = qobject_cast<const QFileDevice *>(&device);
    return file && file->isOpen() && file->handle() >= 0 && isatty(file->handle());
#endif
}

void setConsoleText(QIODevice &device, ConsoleText text)
{
#ifdef Q_OS_WIN
    if (auto *console = dynamic_cast<ConsoleDevice *>(&device))
        console->setText(text);
#else
    if (auto *terminal = dynamic_cast<TerminalFile *>(&device))
        terminal->setText(text);
#endif
}

QByteArray textBytes(const QIODevice &device, QString text)
{
#ifdef Q_OS_WIN
    if (dynamic_cast<const ConsoleDevice *>(&device))
        return text.toUtf8();
    text.replace(u'\n', u"\r\n"_s);
    const auto *redirected = dynamic_cast<const RedirectedStream *>(&device);
    const UINT codePage = redirected ? redirected->codePage : 0;
    if (codePage == 0 || codePage == CP_UTF8 || text.isEmpty())
        return text.toUtf8();
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int size =
        WideCharToMultiByte(codePage, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    QByteArray bytes(size, Qt::Uninitialized);
    if (size == 0 || WideCharToMultiByte(codePage, 0, wide, int(text.size()), bytes.data(), size,
                                         nullptr, nullptr) != size)
        return text.toUtf8(); // a code page Windows cannot encode in
    return bytes;
#else
    Q_UNUSED(device);
    return text.toUtf8();
#endif
}

bool hasStandardOutput()
{
#ifdef Q_OS_WIN
    const HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    return handle && handle != INVALID_HANDLE_VALUE;
#else
    return true;
#endif
}

} // namespace mezni
