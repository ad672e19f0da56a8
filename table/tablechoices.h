#pragma once

#include <QtGlobal>
#include <algorithm>

// The choices of the rule by map scale as the table pipeline holds them. The main window keeps
// them as its two codes (the method 1 for numerically, the map class 0 for 1:1000); the core
// computes with those codes, so the pipeline converts only where it calls the core.
namespace mezni {

enum class Method : qint32 { Graphic = 0, Numeric = 1 };
enum class MapClass : qint32 { Scale1000, Scale1250, Scale2000, Scale2500, Scale5000 };

constexpr qint32 codeOf(Method method)
{
    return qint32(method);
}

constexpr qint32 codeOf(MapClass mapClass)
{
    return qint32(mapClass);
}

// Any code but 1 is the graphic method, as in the formula.
constexpr Method methodOfCode(qint32 code)
{
    return code == 1 ? Method::Numeric : Method::Graphic;
}

constexpr MapClass mapClassOfCode(qint32 code)
{
    return MapClass(std::clamp(code, 0, 4));
}

} // namespace mezni
