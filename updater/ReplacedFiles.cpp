#include "ReplacedFiles.h"

#include <windows.h>

#include "UpdaterCommandLine.h"

bool ReplacedFiles::Replace(const std::wstring& newFile, const std::wstring& target)
{
    // Without a new file (one listed twice, say) nothing moves: the kept old file of the
    // first listing must not be overwritten by the new one.
    if (GetFileAttributesW(newFile.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    const std::wstring kept = target + L".old";
    const bool hadOld = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (hadOld && !MoveFileExW(target.c_str(), kept.c_str(), MOVEFILE_REPLACE_EXISTING))
        return false;
    if (!MoveFileExW(newFile.c_str(), target.c_str(), 0)) {
        if (hadOld)
            MoveFileExW(kept.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
        return false;
    }
    if (hadOld)
        replaced_.push_back({newFile, target, kept});
    return true;
}

void ReplacedFiles::Restore()
{
    for (auto file = replaced_.rbegin(); file != replaced_.rend(); ++file) {
        MoveFileExW(file->target.c_str(), (file->newFile + std::wstring(kRejectedSuffix)).c_str(), MOVEFILE_REPLACE_EXISTING);
        MoveFileExW(file->kept.c_str(), file->target.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    replaced_.clear();
}

void ReplacedFiles::Discard()
{
    for (const Replaced& file : replaced_) {
        DeleteFileW(file.kept.c_str());
        DeleteFileW((file.newFile + std::wstring(kRejectedSuffix)).c_str());
    }
    replaced_.clear();
}
