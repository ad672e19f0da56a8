#pragma once

#include <QStringList>

class QIODevice;
class QLocale;

namespace mezni {

// Exit statuses of the command line, as documented for scripts.
enum ExitStatus {
    AllComputed = 0,
    SomeFailed = 1,
    UsageError = 2,
    NoDisplay = 3,
    OutputFailed = 4, // standard output or the output file could not be written
};

// The program without its window: areas given as arguments, or a whole table (--soubor). Results
// go to out, messages to err, a table named "-" comes from in. Needs no display and no widgets.
int runCommandLine(const QStringList &arguments, QIODevice &in, QIODevice &out, QIODevice &err,
                   const QLocale &locale);

} // namespace mezni
