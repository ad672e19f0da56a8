#pragma once

#include "tablesource.h"

#include <QString>
#include <string>

class QIODevice;

namespace mezni {

// A device written through a buffer, every write checked: the first failure is kept and
// everything after it refused, so that a run never reports what it could not write. A QSaveFile
// replaces the named file only at finish(), once everything is written.
class CheckedOutput final : public TableOutput
{
public:
    explicit CheckedOutput(QIODevice &device);

    bool passThrough(std::string_view bytes) override { return add(bytes); }
    bool appended(std::string_view bytes) override { return add(bytes); }
    bool add(const QString &text);

    bool flush();
    bool finish();
    // Why the output failed, or nothing.
    const QString &error() const { return m_error; }

private:
    bool add(std::string_view bytes);

    QIODevice &m_device;
    std::string m_buffer;
    QString m_error;
};

} // namespace mezni
