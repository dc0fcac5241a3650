#pragma once
#include <string>

#include "Controls.h"

// The system's rich-text box. Lines are its own lines as it reports them.
class TRichEdit : public TWinControl {
public:
    explicit TRichEdit(TComponent* owner);

    bool ReadOnly = false;
    bool VerticalScrollBar = false;
    bool Border = true;

    int LineCount();
    std::string Line(int index);
    // Adds the text at the very end, as it stands (line breaks included).
    void AppendText(const std::string& text);
    // The rich text the box writes for that text added at its end, as a document of its
    // own: written by a hidden box that has the formatting of this box's end.
    std::string RtfOfAppendedText(const std::string& text);
    // Rich text read in at the very end, as the rest of the box's document.
    void AppendRtf(const std::string& rtf);
    // The text's first so many characters taken out.
    void RemoveStart(int characters);
    void SetSelStart(int position);
    // The caret to the very end, and the end into view.
    void ShowEnd();
    int SelStart();
    std::string Text();
    void Clear();

    // Rich text is read as such; anything else is taken as plain text.
    void LoadFromBytes(const std::string& bytes);
    // In the box's own colours also while high contrast shows it in the system's.
    std::string SaveToRtf();

    void ChangeScale(int dpi) override;

protected:
    void CreateParams(CreateParamsData& params) override;
    void HandleCreated() override;
    void SystemColoursChanged() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ApplyFont();
    // The text's colour: the system's (high contrast) or the box's own, for the text from
    // `from` on (-1: all of it, and the text still to come).
    void SetTextColour(bool system, int from = -1);
    // The box draws its text for the system's DPI: at another DPI it is zoomed to it.
    void ApplyZoom();

    // Whether the format last applied was the high-contrast one.
    bool plainApplied_ = false;
};
