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
    // Appends one line at the end of the text.
    void AppendLine(const std::string& line);
    void SetSelStart(int position);
    int SelStart();
    std::string Text();

    // Rich text is read as such; anything else is taken as plain text.
    void LoadFromBytes(const std::string& bytes);
    std::string SaveToRtf();

protected:
    void CreateParams(CreateParamsData& params) override;
    void HandleCreated() override;

private:
    void ApplyFont();
};
