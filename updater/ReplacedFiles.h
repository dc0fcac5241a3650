#pragma once
#include <string>
#include <vector>

// Files the updater put in place of older ones. The old files are kept beside them
// ("<name>.old") until the new program has proved itself, so a failed update can be undone.
// An undone new file stays as "<new file>.rejected", by which the program knows not to take
// the same file again.
class ReplacedFiles {
public:
    // Puts newFile in place of target, keeping the old target. When the new file cannot
    // take its place, the old one is put back and the answer is false.
    bool Replace(const std::wstring& newFile, const std::wstring& target);
    bool Any() const { return !replaced_.empty(); }
    // Every kept file back in its place; the new one becomes the rejected copy.
    void Restore();
    // The kept files removed, and rejected copies of earlier tries: the new ones stay for good.
    void Discard();

private:
    struct Replaced {
        std::wstring newFile;
        std::wstring target;
        std::wstring kept;
    };
    std::vector<Replaced> replaced_;
};
