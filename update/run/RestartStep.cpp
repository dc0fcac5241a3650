#include "RestartStep.h"

#include <windows.h>

#include <optional>

#include "FileIO.h"
#include "Text.h"
#include "UpdaterCommandLine.h"

std::wstring ExistingComponentPaths(const std::string& appComponents)
{
    return QuotedComponentPaths(Widen(appComponents), [](const std::wstring& path) {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    });
}

bool RepeatsAnUndoneUpdate(const std::wstring& componentPaths)
{
    bool repeats = false;
    for (const std::wstring& path : SplitArguments(componentPaths)) {
        if (ComponentKindOf(path) != ComponentKind::Replacement)
            continue;
        const std::optional<std::string> rejected = ReadWholeFile(path + std::wstring(kRejectedSuffix));
        if (rejected && rejected == ReadWholeFile(path)) {
            DeleteFileW(path.c_str());
            repeats = true;
        }
    }
    return repeats;
}
