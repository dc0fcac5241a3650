#pragma once
#include <cstdint>
#include <string>

#include "FxLabels.h"
#include "LinkLabelState.h"

// The program's own hand cursors, by their numbers in the screen's cursor table.
enum HandCursor : int {
    crHandPoint = 15000,
    crSmallHandPoint = 15001,
    crGrabHand = 15002,
    crGrabHandArrow = 15003,
    crDragHand = 15004,
};

// Enters the hand cursors of the program's resources in the screen's table (once).
void RegisterHandCursors();

// Asks the shell to open the target (a web or "mailto:" address, a document, a folder)
// with its "open" verb, on behalf of the application's window. The shell's answer: above
// 32 is success; an empty target opens nothing and answers 0.
intptr_t ShellOpen(const std::string& target);

// The link error box, "Došlo k chybě při komunikaci s internetem!", with one OK button.
void ShowLinkError(HWND owner);

// A clickable link: its colour shows whether it is pressed, visited or hovered; a left
// click that is released on the label opens URL (or, without one, the caption) when it is
// a link address (IsLinkAddress), and shows the link error box when it is not.
class TLinkLabel : public TFxLabel {
public:
    explicit TLinkLabel(TComponent* owner);

    std::string URL;

    TColor UnvisitedColor() const { return state_.UnvisitedColor(); }
    TColor ActivatedColor() const { return state_.ActivatedColor; }
    TColor VisitedColor() const { return state_.VisitedColor(); }
    TColor HoveredColor() const { return state_.HoveredColor(); }
    bool CanHover() const { return state_.CanHover(); }
    bool Visited() const { return state_.Visited(); }
    void SetUnvisitedColor(TColor color);
    void SetActivatedColor(TColor color) { state_.ActivatedColor = color; }
    void SetVisitedColor(TColor color);
    void SetHoveredColor(TColor color) { state_.SetHoveredColor(color); }
    void SetCanHover(bool canHover);

    void MouseDown(TMouseButton button, int x, int y) override;
    void MouseUp(TMouseButton button, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    TAccessibleInfo Accessible() const override;
    // Enter, Space or a reader's default action: as a click released on the label.
    void DoDefaultAction() override;

protected:
    void FontChanged() override;
    TColor PlainTextColor() const override { return clHotLight; }

private:
    // The font takes the state's colour (and, with underline, its underline).
    void ShowState(bool underline = false);
    std::string Target() const { return URL.empty() ? Caption() : URL; }
    // Shows the state after a release, and opens the target when the release completed a click.
    void Released(bool opens);

    LinkLabelState state_;
    bool showing_ = false;
};
