#pragma once
#include <optional>

// The effect label's arithmetic, apart from any drawing: directions, preset looks, the
// angle rule and where rotated text starts.

enum class TDirection { drNone, drUp, drDown, drLeft, drRight, drUpLeft, drUpRight, drDownLeft, drDownRight };
enum class TShadowStyle {
    ssNone,
    ssCustom,
    ssRaised,
    ssRaisedColor,
    ssRaisedShadow,
    ssRaisedThickShadow,
    ssRecessed,
    ssRecessedColor,
    ssRecessedShadow,
    ssShadow,
    ssThickShadow,
};
enum class TVerticalAlignment { vaTop, vaCenter, vaBottom };
enum class THorizontalPlace { Left, Right, Center };

struct Step {
    int dx = 0, dy = 0;
    bool operator==(const Step&) const = default;
};

// One pixel in the direction, y growing downwards.
Step DirectionStep(TDirection direction);

struct ShadowPreset {
    TDirection highlightDirection = TDirection::drNone;
    int highlightDepth = 0;
    TDirection shadowDirection = TDirection::drNone;
    int shadowDepth = 0;
    int shadowSize = 0;
    bool faceColoredFont = false; // the text itself in the button-face colour
};

// The values a preset look writes; none for ssCustom, which writes nothing.
std::optional<ShadowPreset> PresetOf(TShadowStyle style);

// Any angle in degrees as 0..359.
int NormalAngle(int degrees);

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

// Where text of textWidth × textHeight, rotated counter-clockwise by angle (1..359), starts
// (the corner that is the top left of the unrotated text) so that its bounding box sits in
// the client area as aligned, clipped to the client size.
Point RotatedTextStart(int angle, int textWidth, int textHeight, int clientWidth, int clientHeight,
                       THorizontalPlace horizontal, TVerticalAlignment vertical);

// How far text of textHeight moves down in a client of clientHeight; text taller than the
// client moves up by the overflow (bottom) or half of it (centre).
int VerticalShift(TVerticalAlignment vertical, int textHeight, int clientHeight);
