#pragma once
#include <cstdint>

// What a link label shows and does, as plain logic: the text colour and underline follow
// the press, the release, hovering and the colour settings; a completed click opens.
class LinkLabelState {
public:
    using Color = uint32_t; // 0x00BBGGRR

    Color FontColor() const { return fontColor_; }
    bool Underlined() const { return underlined_; }
    bool Visited() const { return visited_; }
    bool Pressed() const { return pressed_; }

    Color UnvisitedColor() const { return unvisited_; }
    Color ActivatedColor = 0x0000FF;
    Color VisitedColor() const { return visitedColor_; }
    Color HoveredColor() const { return hovered_; }
    bool CanHover() const { return canHover_; }

    void LeftDown();
    // Released at (x, y) in the label's own coordinates, edges included; true when this
    // completes a click, so the target opens.
    bool LeftUp(int x, int y, int width, int height);
    void Enter();
    void Leave();
    // The font's colour changed, from outside or through the rules: without hover mode and
    // while not pressed, the colour becomes the current state's colour.
    void FontColorChanged(Color color);
    void SetUnvisitedColor(Color color);
    void SetVisitedColor(Color color);
    void SetHoveredColor(Color color);
    // Hover mode shows the underline only while hovered.
    void SetCanHover(bool canHover);

private:
    Color RestingColor() const { return visited_ ? visitedColor_ : unvisited_; }

    Color fontColor_ = 0xFF0000;
    bool underlined_ = true;
    bool visited_ = false;
    bool pressed_ = false;
    Color unvisited_ = 0xFF0000;
    Color visitedColor_ = 0x800000;
    Color hovered_ = 0xFFFFFF;
    bool canHover_ = false;
};
