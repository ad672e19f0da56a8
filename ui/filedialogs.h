#pragma once

#include <QString>

class QWidget;

namespace mezni {

// The file dialogs of the table window, behind an interface so that window tests can answer
// them instead of blocking on them.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // The table to open, or nothing where the user cancelled.
    virtual QString openTable(QWidget *parent, const QString &folder) = 0;
    // Where to save the results, proposed as given, or nothing where the user cancelled.
    virtual QString saveResults(QWidget *parent, const QString &proposed) = 0;
};

class QtFileDialogs final : public FileDialogs
{
public:
    QString openTable(QWidget *parent, const QString &folder) override;
    QString saveResults(QWidget *parent, const QString &proposed) override;
};

} // namespace mezni
