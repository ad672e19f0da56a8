#pragma once

#include <QString>
#include <QtGlobal>

namespace mezni {

// The error object a caught failure is reported with: a number and a description.
struct RuntimeError
{
    qint32 number = 0;
    QString description;

    friend bool operator==(const RuntimeError &, const RuntimeError &) = default;
};

inline RuntimeError overflowError()
{
    return {6, QStringLiteral("Přetečení")};
}

inline RuntimeError typeMismatchError()
{
    return {13, QStringLiteral("Neslučitelný typ")};
}

} // namespace mezni
