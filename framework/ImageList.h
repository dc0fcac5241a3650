#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Component.h"
#include "Icon.h"
#include "Win32Handle.h"

// A list of same-sized icons, addressed by index.
class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* owner, int width = 16, int height = 16);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return int(icons_.size()); }
    // The images at another size: those of the program's resources loaded again at it,
    // from the sizes the resource is drawn at.
    void SetSize(int width, int height);

    // Adds a copy of the icon; returns its index.
    int AddIcon(HICON icon);
    // Adds the program's named icon resource at the list's size; returns its index.
    int AddResourceIcon(const wchar_t* name);
    // Copies the image at index into icon; an index outside the list empties it.
    void GetIcon(int index, TIcon& icon) const;

private:
    int width_;
    int height_;
    std::vector<IconHandle> icons_;
    // The resource of each image; empty for an added copy.
    std::vector<std::wstring> resources_;
};
