#pragma once
#include <string>
#include <vector>

// Files the updater put in place of older ones. The old files are kept beside them
// ("<name>.old") until the new program has proved itself, so a failed update can be undone.
class ReplacedFiles {
public:
    // Puts newFile in place of target, keeping the old target. When the new file cannot
    // take its place, the old one is put back and the answer is false.
    bool Replace(const std::wstring& newFile, const std::wstring& target);
    bool Any() const { return !replaced_.empty(); }
    // Every kept file back in its place, over the new one.
    void Restore();
    // The kept files removed: the new ones stay for good.
    void Discard();

private:
    struct Replaced {
        std::wstring target;
        std::wstring kept;
    };
    std::vector<Replaced> replaced_;
};
