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
    resources_.emplace_back();
    return Count() - 1;
}

int TImageList::AddResourceIcon(const wchar_t* name)
{
    icons_.push_back(LoadResourceIcon(name, width_, height_));
    resources_.emplace_back(name);
    return Count() - 1;
}

void TImageList::SetSize(int width, int height)
{
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    for (size_t i = 0; i < icons_.size(); ++i) {
        if (!resources_[i].empty())
            icons_[i] = LoadResourceIcon(resources_[i].c_str(), width, height);
        else
            icons_[i].Reset(static_cast<HICON>(CopyImage(icons_[i].Get(), IMAGE_ICON, width, height, 0)));
    }
}

void TImageList::GetIcon(int index, TIcon& icon) const
{
    if (index < 0 || index >= Count()) {
        icon.SetHandle(IconHandle());
        return;
    }
    icon.Assign(icons_[size_t(index)].Get());
}
