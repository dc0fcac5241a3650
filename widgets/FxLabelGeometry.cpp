#include "FxLabelGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

int FloorHalf(int value) { return value >= 0 ? value / 2 : -((-value + 1) / 2); }

} // namespace

Step DirectionStep(TDirection direction)
{
    switch (direction) {
    case TDirection::drNone: return {0, 0};
    case TDirection::drUp: return {0, -1};
    case TDirection::drDown: return {0, 1};
    case TDirection::drLeft: return {-1, 0};
    case TDirection::drRight: return {1, 0};
    case TDirection::drUpLeft: return {-1, -1};
    case TDirection::drUpRight: return {1, -1};
    case TDirection::drDownLeft: return {-1, 1};
    case TDirection::drDownRight: return {1, 1};
    }
    return {0, 0};
}

std::optional<ShadowPreset> PresetOf(TShadowStyle style)
{
    using enum TDirection;
    switch (style) {
    case TShadowStyle::ssNone: return ShadowPreset{drNone, 0, drNone, 0, 0, false};
    case TShadowStyle::ssCustom: return std::nullopt;
    case TShadowStyle::ssRaised: return ShadowPreset{drUpLeft, 1, drNone, 0, 0, false};
    case TShadowStyle::ssRaisedColor: return ShadowPreset{drUpLeft, 1, drDownRight, 1, 1, true};
    case TShadowStyle::ssRaisedShadow: return ShadowPreset{drUpLeft, 1, drDownRight, 1, 1, false};
    case TShadowStyle::ssRaisedThickShadow: return ShadowPreset{drUpLeft, 1, drDownRight, 1, 4, false};
    case TShadowStyle::ssRecessed: return ShadowPreset{drDownRight, 1, drNone, 0, 0, false};
    case TShadowStyle::ssRecessedColor: return ShadowPreset{drDownRight, 1, drUpLeft, 1, 1, true};
    case TShadowStyle::ssRecessedShadow: return ShadowPreset{drDownRight, 1, drUpLeft, 1, 1, false};
    case TShadowStyle::ssShadow: return ShadowPreset{drNone, 0, drDownRight, 2, 1, false};
    case TShadowStyle::ssThickShadow: return ShadowPreset{drNone, 0, drDownRight, 1, 4, false};
    }
    return std::nullopt;
}

int NormalAngle(int degrees)
{
    const int angle = degrees % 360;
    return angle < 0 ? angle + 360 : angle;
}

Point RotatedTextStart(int angle, int textWidth, int textHeight, int clientWidth, int clientHeight,
                       THorizontalPlace horizontal, TVerticalAlignment vertical)
{
    const double radians = angle * std::numbers::pi / 180.0;
    const double cos = std::cos(radians);
    const double sin = std::sin(radians);
    const int a = int(std::trunc(textWidth * cos));
    const int b = int(std::trunc(textWidth * sin));
    const int c = int(std::trunc(textHeight * cos));
    const int d = int(std::trunc(textHeight * sin));
    const int quadrant = angle / 90;
    int w = quadrant == 0 ? a + d : quadrant == 1 ? d - a : quadrant == 2 ? -a - d : a - d;
    int h = quadrant == 0 ? b + c : quadrant == 1 ? b - c : quadrant == 2 ? -b - c : c - b;
    w = std::min(w, clientWidth);
    h = std::min(h, clientHeight);

    Point start;
    if (horizontal == THorizontalPlace::Center)
        start.x += FloorHalf(clientWidth - w);
    else if (horizontal == THorizontalPlace::Right)
        start.x += clientWidth - w;
    if (vertical == TVerticalAlignment::vaCenter)
        start.y += FloorHalf(clientHeight - h);
    else if (vertical == TVerticalAlignment::vaBottom)
        start.y += clientHeight - h;

    const Point corner = quadrant == 0 ? Point{0, b} : quadrant == 1 ? Point{-a, h} : quadrant == 2 ? Point{w, -c}
                                                                                                   : Point{-d, 0};
    return {start.x + corner.x, start.y + corner.y};
}

int VerticalShift(TVerticalAlignment vertical, int textHeight, int clientHeight)
{
    const int free = clientHeight - textHeight;
    switch (vertical) {
    case TVerticalAlignment::vaTop: return 0;
    case TVerticalAlignment::vaCenter: return FloorHalf(free);
    case TVerticalAlignment::vaBottom: return free;
    }
    return 0;
}
