#include <gtest/gtest.h>

#include "Application.h"
#include "Text.h"
#include "Unit1.h"

// Every caption of the main window shows whole: each label is at least as large as its
// text in its font, and lies inside the window's client area.
TEST(MainWindow, NoLabelCutsItsText)
{
    TApplication application;
    application.SetTitle("Soriel labels test");
    auto* form = new TForm1(&application);
    form->LoadedTree();
    HDC screen = GetDC(nullptr);
    int labels = 0;
    for (TControl* control : form->Controls()) {
        auto* label = dynamic_cast<TLabel*>(control);
        if (!label)
            continue;
        ++labels;
        HGDIOBJ old = SelectObject(screen, label->Font.Handle());
        const std::wstring text = Widen(label->Caption());
        SIZE extent{};
        GetTextExtentPoint32W(screen, text.c_str(), int(text.size()), &extent);
        SelectObject(screen, old);
        EXPECT_GE(label->Width(), extent.cx) << label->Caption();
        EXPECT_GE(label->Height(), extent.cy) << label->Caption();
        EXPECT_LE(label->BoundsRect().right, 458) << label->Caption();
    }
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(labels, 9) << "Label1 to Label4 and the five links";
    delete form;
}
