#include "ImageList.h"

#include "Exception.h"
#include "Text.h"

TImageList::TImageList(TComponent* owner, int width, int height)
    : TComponent(owner), width_(width), height_(height)
{
}

int TImageList::AddIcon(HICON icon)
{
    auto copy = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, width_, height_, 0));
    if (!copy)
        throw Exception("Ikonu nelze přidat: " + SystemErrorMessage(GetLastError()));
    icons_.emplace_back(copy);
    return Count() - 1;
}

int TImageList::AddResourceIcon(const wchar_t* name)
{
    icons_.push_back(LoadResourceIcon(name, width_, height_));
    return Count() - 1;
}

void TImageList::GetIcon(int index, TIcon& icon) const
{
    if (index < 0 || index >= Count()) {
        icon.SetHandle(IconHandle());
        return;
    }
    icon.Assign(icons_[size_t(index)].Get());
}
