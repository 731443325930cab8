#include "app/modellayout.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cstddef>

namespace modellayout {

namespace {

// Column order of the tables below.
enum Model { Ralka, Demta, Sovin, ModelCount };

struct Spot
{
    int x;
    int y;
    bool moved = true;
};

// The widget keeps the place the form gives it.
constexpr Spot kStays{0, 0, false};

struct PositionRow
{
    QStringList objectNames;
    std::array<Spot, ModelCount> spots;
};

std::vector<Layout> buildLayouts()
{
    // One column per model, as in the position tables below.
    using Texts = std::array<const char *, ModelCount>;
    using Flags = std::array<bool, ModelCount>;
    const Texts pictureFiles = {"back.ralka.png", "back.demta.png", "back.sovin.png"};
    const Flags ledPageEnabled = {true, true, false};
    const Flags ledPictureSet = {true, true, false};
    const std::array<LedDotVisibility, ModelCount> ledDots = {
        LedDotVisibility::Hidden, LedDotVisibility::Shown, LedDotVisibility::Untouched};

    const QStringList leftStick = {"pbJsL1", "pbJsL2", "pbJsL3", "pbJsL4",
                                   "pbJsLC", "pbJsLL", "pbJsLR"};
    const QStringList rightStick = {"pbJsR1", "pbJsR2", "pbJsR3", "pbJsR4",
                                    "pbJsRC", "pbJsRL", "pbJsRR"};

    // Rows 13 and 14 cross between the pages: on the INPUTS page pbIB14 sits
    // in the fifth row on the right, on the LED page pbB13 does.
    const PositionRow inputRows[] = {
        {{"lbEnc"}, {{{290, 10}, {290, 70}, {290, 10}}}},
        {{"hsTrigger"}, {{{309, 40}, {309, 100}, {309, 40}}}},
        {{"lbTrigger"}, {{{330, 60}, {330, 120}, {330, 60}}}},
        {{"pbSWL"}, {{{192, 37}, {195, 51}, {169, 39}}}},
        {{"pbSWR"}, {{{546, 37}, {543, 51}, {569, 39}}}},
        {{"pbIB1"}, {{{149, 35}, {151, 49}, {120, 28}}}},
        {{"pbIB2"}, {{{210, 66}, {212, 79}, {221, 56}}}},
        {{"pbIB3"}, {{{237, 140}, {239, 152}, {239, 109}}}},
        {{"pbIB4"}, {{{266, 222}, {267, 233}, {274, 164}}}},
        {{"pbIB5"}, {{{241, 272}, {243, 283}, {256, 227}}}},
        {{"pbIB6"}, {{{226, 321}, {228, 330}, {250, 282}}}},
        {{"pbIB9"}, {{{590, 35}, {587, 49}, {618, 28}}}},
        {{"pbIB10"}, {{{528, 66}, {526, 79}, {517, 56}}}},
        {{"pbIB11"}, {{{500, 140}, {498, 152}, {498, 109}}}},
        {{"pbIB12"}, {{{472, 222}, {471, 233}, {464, 164}}}},
        {{"pbIB13"}, {{{512, 321}, {510, 330}, {488, 282}}}},
        {{"pbIB14"}, {{{497, 272}, {495, 283}, {482, 227}}}},
        {{"pbID1L", "pbID1R"}, {{{299, 122}, {326, 200}, kStays}}},
        {{"pbID2L", "pbID2R"}, {{{436, 122}, {410, 200}, kStays}}},
        {{"pbID3L", "pbID3R"}, {{{299, 279}, {300, 289}, {308, 236}}}},
        {{"pbID4L", "pbID4R"}, {{{437, 279}, {436, 289}, {429, 236}}}},
        {{"pbID5L", "pbID5R"}, {{{110, 70}, {110, 85}, kStays}}},
        {{"pbID6L", "pbID6R"}, {{{625, 70}, {625, 85}, kStays}}},
        {{"pbID7L", "pbID7R"}, {{{200, 110}, {195, 123}, {200, 100}}}},
        {{"pbID8L", "pbID8R"}, {{{540, 110}, {545, 123}, {540, 100}}}},
        {leftStick, {{{214, 195}, {216, 207}, {217, 166}}}},
        {rightStick, {{{523, 195}, {521, 207}, {520, 166}}}},
    };

    // SOVIN has no LED page, so its column moves nothing.
    const PositionRow ledRows[] = {
        {{"pbB1"}, {{{149, 35}, {151, 49}, kStays}}},
        {{"pbB2"}, {{{210, 66}, {212, 79}, kStays}}},
        {{"pbB3"}, {{{237, 140}, {239, 152}, kStays}}},
        {{"pbB4"}, {{{266, 222}, {267, 233}, kStays}}},
        {{"pbB5"}, {{{241, 272}, {243, 283}, kStays}}},
        {{"pbB6"}, {{{226, 321}, {228, 330}, kStays}}},
        {{"pbB9"}, {{{590, 35}, {587, 49}, kStays}}},
        {{"pbB10"}, {{{528, 66}, {526, 79}, kStays}}},
        {{"pbB11"}, {{{500, 140}, {498, 152}, kStays}}},
        {{"pbB12"}, {{{472, 222}, {471, 233}, kStays}}},
        {{"pbB13"}, {{{497, 272}, {495, 283}, kStays}}},
        {{"pbB14"}, {{{512, 321}, {510, 330}, kStays}}},
        {{"pbD13"}, {{{299, 122}, {326, 200}, kStays}}},
        {{"pbD23"}, {{{436, 122}, {410, 200}, kStays}}},
        {{"pbD16"}, {{{299, 279}, {300, 289}, kStays}}},
        {{"pbD26"}, {{{437, 279}, {436, 289}, kStays}}},
        {{"pbD3"}, {{{200, 110}, {195, 123}, kStays}}},
        {{"pbD4"}, {{{540, 110}, {545, 123}, kStays}}},
    };

    const auto positionsOf = [](const auto &rows, std::size_t model) {
        std::vector<WidgetPosition> positions;
        for (const PositionRow &row : rows) {
            const Spot &spot = row.spots[model];
            if (!spot.moved)
                continue;
            for (const QString &name : row.objectNames)
                positions.push_back({name, spot.x, spot.y});
        }
        return positions;
    };

    std::vector<Layout> layouts;
    for (std::size_t model = 0; model < ModelCount; ++model) {
        const QString picture = QLatin1String(pictureFiles[model]);
        const QString style = QStringLiteral("border-image: url(:/img/%1)").arg(picture);
        layouts.push_back({picture, style, ledPictureSet[model] ? style : QString(),
                           ledPageEnabled[model], ledDots[model], positionsOf(inputRows, model),
                           positionsOf(ledRows, model)});
    }
    return layouts;
}

} // namespace

const Layout &of(const modelprofile::Profile &profile)
{
    // In the order of modelprofile::profiles(), as the tables' columns.
    static const std::vector<Layout> layouts = buildLayouts();
    const std::vector<modelprofile::Profile> &profiles = modelprofile::profiles();
    const auto at = std::find_if(profiles.begin(), profiles.end(), [&](const auto &known) {
        return known.modelName == profile.modelName;
    });
    return layouts[static_cast<std::size_t>(at - profiles.begin())];
}

} // namespace modellayout
