#pragma once

#include "resulttexts.h"

#include <QStringView>
#include <array>

namespace mezni {

// The window as drawn: every control with its place in twips (1/1440 inch), relative to its
// container. Pixels come from these through one scale, the smallest at which every text fits.
struct Twips
{
    int left, top, width, height;
};

enum class Kind { Frame, Option, Button, TextBox, Label, Result };
// Which member of the window a control is: an entry cannot name a control that does not exist.
enum class Slot {
    fraMapa,
    optMapa,
    fraVypocet,
    optZpusob,
    cmdVypocti,
    txtVymera,
    lblMezniHodnoty,
    Label4,
    lbl2xMezniOdchylka,
    lblMezniOdchylka,
    Label3,
    Label2,
    Label1,
};
enum class Container { Window, FraMapa, FraVypocet };

constexpr QStringView nameOf(Slot slot)
{
    switch (slot) {
    case Slot::fraMapa:
        return u"fraMapa";
    case Slot::optMapa:
        return u"optMapa";
    case Slot::fraVypocet:
        return u"fraVypocet";
    case Slot::optZpusob:
        return u"optZpusob";
    case Slot::cmdVypocti:
        return u"cmdVypocti";
    case Slot::txtVymera:
        return u"txtVymera";
    case Slot::lblMezniHodnoty:
        return u"lblMezniHodnoty";
    case Slot::Label4:
        return u"Label4";
    case Slot::lbl2xMezniOdchylka:
        return u"lbl2xMezniOdchylka";
    case Slot::lblMezniOdchylka:
        return u"lblMezniOdchylka";
    case Slot::Label3:
        return u"Label3";
    case Slot::Label2:
        return u"Label2";
    case Slot::Label1:
        return u"Label1";
    }
    return {};
}

struct ControlSpec
{
    Slot slot;
    int index; // within an option group, else -1
    Kind kind;
    Container container;
    QStringView caption;
    Twips twips;
    int tab;
    QStringView tag;

    constexpr QStringView name() const { return nameOf(slot); }
};

inline constexpr QStringView windowCaption = u"Výpočet mezní odchylky";
inline constexpr Twips windowClientTwips{0, 0, 5010, 4440};

// In creation order.
// clang-format off
inline constexpr std::array<ControlSpec, 18> controlTable{{
    // slot                 index kind          container              caption                                                            left   top   width height tab tag
    {Slot::fraMapa,         -1, Kind::Frame,   Container::Window,     u"Mapa",                                                          {   0, 1800, 5021, 1335},  6, {}},
    {Slot::optMapa,          4, Kind::Option,  Container::FraMapa,    u"1:&5000",                                                       {2640,  600, 2175,  255}, 11, u"4"},
    {Slot::optMapa,          3, Kind::Option,  Container::FraMapa,    u"1:2500, 1:2&880",                                               {2640,  240, 2175,  255}, 10, u"3"},
    {Slot::optMapa,          2, Kind::Option,  Container::FraMapa,    u"1:&2000",                                                       { 120,  960, 2175,  255},  9, u"2"},
    {Slot::optMapa,          1, Kind::Option,  Container::FraMapa,    u"1:1250, 1:1&440",                                               { 120,  600, 2175,  255},  8, u"1"},
    {Slot::optMapa,          0, Kind::Option,  Container::FraMapa,    u"1:&1000",                                                       { 120,  240, 2175,  255},  7, u"0"},
    {Slot::fraVypocet,      -1, Kind::Frame,   Container::Window,     u"Způsob výpočtu",                                                {   0,  600, 5021, 1095},  3, {}},
    {Slot::optZpusob,        1, Kind::Option,  Container::FraVypocet, u"Vý&měra určená nezávisle dvakrát graficky",                     { 120,  600, 4575,  375},  5, u"0"},
    {Slot::optZpusob,        0, Kind::Option,  Container::FraVypocet, u"V&ýměra určená číselně v porovnání s výměrou určenou graficky", { 120,  240, 4815,  375},  4, u"1"},
    {Slot::cmdVypocti,      -1, Kind::Button,  Container::Window,     u"&Vypočti",                                                      {3600,  120, 1335,  346},  2, {}},
    {Slot::txtVymera,       -1, Kind::TextBox, Container::Window,     {},                                                               {1800,  120, 1695,  346},  1, {}},
    {Slot::lblMezniHodnoty, -1, Kind::Result,  Container::Window,     {},                                                               {2760, 3960, 2175,  410}, 17, {}},
    {Slot::Label4,          -1, Kind::Label,   Container::Window,     captions::boundsLabel,                                              { 120, 3960, 2415,  255}, 16, {}},
    {Slot::lbl2xMezniOdchylka, -1, Kind::Result,  Container::Window,     {},                                                               {2760, 3600, 2175,  255}, 15, {}},
    {Slot::lblMezniOdchylka, -1, Kind::Result,  Container::Window,     {},                                                               {2760, 3240, 2175,  255}, 14, {}},
    {Slot::Label3,          -1, Kind::Label,   Container::Window,     captions::twoDeltaLabel,                                            { 120, 3600, 2295,  255}, 13, {}},
    {Slot::Label2,          -1, Kind::Label,   Container::Window,     captions::deltaLabel,                                               { 120, 3240, 2295,  255}, 12, {}},
    {Slot::Label1,          -1, Kind::Label,   Container::Window,     captions::areaLabel,                                                { 120,  150, 1575,  240},  0, {}},
}};
// clang-format on

} // namespace mezni
