#pragma once

#include <QStringView>
#include <array>

namespace mezni {

// The window as drawn: every control with its place in twips (1/1440 inch), relative to its
// container. Pixels come from these through one scale (see frmMezni_odchylka::pixelsPerTwip).
struct Twips
{
    int left, top, width, height;
};

enum class Kind { Frame, Option, Button, TextBox, Label, Result };
enum class Container { Window, FraMapa, FraVypocet };

struct ControlSpec
{
    QStringView name;
    int index; // within an option group, else -1
    Kind kind;
    Container container;
    QStringView caption;
    Twips twips;
    int tab;
    QStringView tag;
};

inline constexpr Twips windowClientTwips{0, 0, 5010, 4440};

// In creation order.
// clang-format off
inline constexpr std::array<ControlSpec, 18> controlTable{{
    // name                 index kind          container              caption                                                            left   top   width height tab tag
    {u"fraMapa",             -1, Kind::Frame,   Container::Window,     u"Mapa",                                                          {   0, 1800, 5021, 1335},  6, {}},
    {u"optMapa",              4, Kind::Option,  Container::FraMapa,    u"1:&5000",                                                       {2640,  600, 2175,  255}, 11, u"4"},
    {u"optMapa",              3, Kind::Option,  Container::FraMapa,    u"1:2500, 1:2&880",                                               {2640,  240, 2175,  255}, 10, u"3"},
    {u"optMapa",              2, Kind::Option,  Container::FraMapa,    u"1:&2000",                                                       { 120,  960, 2175,  255},  9, u"2"},
    {u"optMapa",              1, Kind::Option,  Container::FraMapa,    u"1:1250, 1:1&440",                                               { 120,  600, 2175,  255},  8, u"1"},
    {u"optMapa",              0, Kind::Option,  Container::FraMapa,    u"1:&1000",                                                       { 120,  240, 2175,  255},  7, u"0"},
    {u"fraVypocet",          -1, Kind::Frame,   Container::Window,     u"Způsob výpočtu",                                                {   0,  600, 5021, 1095},  3, {}},
    {u"optZpusob",            1, Kind::Option,  Container::FraVypocet, u"Vý&měra určená nezávisle dvakrát graficky",                     { 120,  600, 4575,  375},  5, u"0"},
    {u"optZpusob",            0, Kind::Option,  Container::FraVypocet, u"V&ýměra určená číselně v porovnání s výměrou určenou graficky", { 120,  240, 4815,  375},  4, u"1"},
    {u"cmdVypocti",          -1, Kind::Button,  Container::Window,     u"&Vypočti",                                                      {3600,  120, 1335,  346},  2, {}},
    {u"txtVymera",           -1, Kind::TextBox, Container::Window,     {},                                                               {1800,  120, 1695,  346},  1, {}},
    {u"lblMezniHodnoty",     -1, Kind::Result,  Container::Window,     {},                                                               {2760, 3960, 2175,  410}, 17, {}},
    {u"Label4",              -1, Kind::Label,   Container::Window,     u"Mezní hodnoty pro danou výměru:",                               { 120, 3960, 2415,  255}, 16, {}},
    {u"lbl2xMezniOdchylka",  -1, Kind::Result,  Container::Window,     {},                                                               {2760, 3600, 2175,  255}, 15, {}},
    {u"lblMezniOdchylka",    -1, Kind::Result,  Container::Window,     {},                                                               {2760, 3240, 2175,  255}, 14, {}},
    {u"Label3",              -1, Kind::Label,   Container::Window,     u"Dvojnásobek mezní odchylky:",                                   { 120, 3600, 2295,  255}, 13, {}},
    {u"Label2",              -1, Kind::Label,   Container::Window,     u"Hodnota mezní odchylky:",                                       { 120, 3240, 2295,  255}, 12, {}},
    {u"Label1",              -1, Kind::Label,   Container::Window,     u"Výměra &parcely:",                                              { 120,  150, 1575,  240},  0, {}},
}};
// clang-format on

} // namespace mezni
