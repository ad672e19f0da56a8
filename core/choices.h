#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <array>
#include <optional>

// How the two codes are written outside the window: the map scales of each class, the words of
// the methods. The command line's options and a table's cells are read by these.
namespace mezni {

// The scales of each map class (lngMapa 0 to 4); a class of one scale has 0 as its second.
inline constexpr std::array<std::array<int, 2>, 5> scalesOfClass{
    {{1000, 0}, {1250, 1440}, {2000, 0}, {2500, 2880}, {5000, 0}}};

// The class of a scale written "1:2880", "2880" or "1 : 2 880"; nothing for any other scale.
std::optional<qint32> mapClassOf(QStringView text);
// "1:1000" (the first scale of the class).
QString scaleName(qint32 lngMapa);
// Every scale, for messages: "1000, 1250, 1440, 2000, 2500, 2880 nebo 5000".
QString scaleList();

// The method code of a word as the window names it ("číselně", "ciselne", "graficky", with or
// without diacritics and in any case) or of the codes 1 and 0; nothing for anything else.
std::optional<qint32> methodOf(QStringView text);
// "číselně" or "graficky".
QString methodName(qint32 lngZpusob);

} // namespace mezni
