#pragma once
#include <vector>

// Placement and slide arithmetic of notification popups; no window needed.

// Taskbar edge codes.
constexpr int EdgeUnknown = -1;
constexpr int EdgeLeft = 0;
constexpr int EdgeTop = 1;
constexpr int EdgeRight = 2;
constexpr int EdgeBottom = 3;

struct PopupRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

struct PopupBox {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const PopupBox&) const = default;
};

// Distances of a popup from the work area's edges.
struct PopupSpacing {
    int StartX = 0;
    int StartY = 0;
};

// The edge the taskbar's rectangle lies on.
int TaskbarEdgeFromRect(const PopupRect& bar);

// Full-size position of a popup of that size, `offset` pixels along the stack. With the
// edge unknown the popup goes to the bottom-right corner, as on a bottom taskbar.
PopupBox PlacePopup(int edge, const PopupRect& work, int width, int height, PopupSpacing spacing, int offset);

// The one-pixel strip of a placed popup on the taskbar side, from which it slides in.
// Nothing to shrink when the edge is unknown: such a popup does not slide.
PopupBox SliverOf(int edge, const PopupBox& full);

struct SlideStep {
    PopupBox Box;
    bool Finished = false;
};

// One slide-in tick: grows by `speed`, or snaps to full size at the work area's edge
// (Finished). With the edge unknown there is nothing to animate: Finished at once.
SlideStep SlideInStep(int edge, const PopupBox& now, int speed, int fullWidth, int fullHeight,
                      const PopupRect& work, PopupSpacing spacing, int placedOffset);

// One slide-out tick: shrinks by `speed`, or Finished (close now, box unchanged) when
// no whole step is left. With the edge unknown the popup closes at once.
SlideStep SlideOutStep(int edge, const PopupBox& now, int speed);

// Where pictures go to tile an area, columns outermost; a zero-sized picture tiles nothing.
struct PopupPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const PopupPoint&) const = default;
};
std::vector<PopupPoint> TileOrigins(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight);

// round((outer - inner) / 2), halves to even: centres a label in its panel.
int CentredOffset(int outer, int inner);

// Of the scales the popup's strip picture is drawn at (100, 125, 150, 175, 200, 250 and
// 300 %), the one nearest to the DPI's.
int StripScalePercent(int dpi);
