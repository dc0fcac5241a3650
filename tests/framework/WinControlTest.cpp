#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "Application.h"
#include "Forms.h"
#include "StdCtrls.h"

// A hidden window's controls get their windows when it is shown, or one by one when needed
// earlier; either way the windows stack in the order the controls were made.
TEST(WinControl, ChildWindowsWaitForTheShowAndStackInCreationOrder)
{
    TApplication application;
    auto* form = new TForm(&application);
    std::vector<TCheckBox*> boxes;
    for (int i = 0; i < 3; ++i) {
        boxes.push_back(new TCheckBox(form));
        boxes.back()->SetBounds(0, 20 * i, 100, 20);
        boxes.back()->SetParent(form);
        EXPECT_FALSE(boxes.back()->HandleAllocated()) << i;
    }

    HWND second = boxes[1]->Handle();
    ASSERT_TRUE(boxes[0]->HandleAllocated());
    EXPECT_FALSE(boxes[2]->HandleAllocated());
    EXPECT_EQ(GetWindow(boxes[0]->ExistingHandle(), GW_HWNDNEXT), second);

    form->Show();
    ASSERT_TRUE(boxes[2]->HandleAllocated());
    EXPECT_EQ(GetWindow(second, GW_HWNDNEXT), boxes[2]->ExistingHandle());
    EXPECT_TRUE(IsWindowVisible(boxes[2]->ExistingHandle()));
}
