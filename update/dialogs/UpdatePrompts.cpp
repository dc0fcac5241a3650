#include "UpdatePrompts.h"

#include <windows.h>

#include "Application.h"
#include "Text.h"

bool Confirmed(const std::string& question)
{
    const std::wstring title = Widen(Application ? Application->Title() : "");
    return MessageBoxW(Application ? Application->Handle() : nullptr, Widen(question).c_str(), title.c_str(),
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}
