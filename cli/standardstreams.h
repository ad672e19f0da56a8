#pragma once

#include <QIODevice>
#include <memory>

namespace mezni {

struct StandardStreams
{
    std::unique_ptr<QIODevice> in, out, err;
};

// The process's standard streams as devices, every write unbuffered so that its failure is seen.
// Bytes pass as they are: on Windows in binary mode (no LF to CRLF, no end at a 0x1A byte), and a
// console is written as text through its own Unicode interface, whatever its code page. A stream
// the caller closed stays closed: no file opened later takes its place, and the output fails as
// closed.
StandardStreams standardStreams();

// Whether the device shows text to a person (a terminal or a Windows console), not to a file or
// a program.
bool isTerminal(const QIODevice &device);

// How a terminal (a Windows console, or a terminal that shows UTF-8) is to read the bytes written
// to it: a table's own encoding, decoded for it. A file or a pipe gets the bytes as they are.
enum class ConsoleText { Utf8, Windows1250, Utf16LE, Utf16BE };
void setConsoleText(QIODevice &device, ConsoleText text);

// Text for people (results, messages, help) as the device's reader takes it: UTF-8; on Windows
// with Windows line ends where the device is no console, and a standard stream redirected from a
// console in that console's code page (852, 1250, 65001...), which type, more and findstr read
// there. A table's own bytes never pass through here.
QByteArray textBytes(const QIODevice &device, QString text);

// Whether the process has a standard output at all (a Windows program of the GUI subsystem
// started from the desktop has none).
bool hasStandardOutput();

} // namespace mezni
