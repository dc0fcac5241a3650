#include "PendingSerialRule.h"

#include <algorithm>

#include "StringList.h"

std::string PendingFilesText(const std::vector<PendingFile>& files)
{
    std::string text;
    for (const PendingFile& file : files)
        text += (file.Sha256.empty() ? "-" : file.Sha256) + " " + file.Path + "\n";
    return text;
}

std::vector<PendingFile> ParsePendingFiles(std::string_view text)
{
    std::vector<PendingFile> files;
    TextLines lines(text);
    while (const std::optional<std::string_view> line = lines.Next()) {
        const size_t blank = line->find(' ');
        if (blank == std::string_view::npos || blank + 1 == line->size())
            continue;
        const std::string_view digest = line->substr(0, blank);
        files.push_back({std::string(line->substr(blank + 1)), digest == "-" ? std::string() : std::string(digest)});
    }
    return files;
}

PendingOutcome SettlePending(std::optional<unsigned long long> pending, std::optional<unsigned long long> stored,
                             const std::vector<PendingCheck>& checks)
{
    if (!pending)
        return PendingOutcome::None;
    if (stored && *pending <= *stored)
        return PendingOutcome::Drop;
    if (std::any_of(checks.begin(), checks.end(), [](const PendingCheck& check) { return check.ComponentLeft; }))
        return PendingOutcome::Wait;
    const bool inPlace = std::all_of(checks.begin(), checks.end(), [](const PendingCheck& check) {
        return check.Expected.empty() || check.TargetSha256 == check.Expected;
    });
    return inPlace ? PendingOutcome::Store : PendingOutcome::Drop;
}

std::optional<unsigned long long> NextHandOver(std::string_view pendingFilesText, unsigned long long handOvers,
                                               std::string_view filesText)
{
    if (pendingFilesText != filesText)
        return 1;
    if (handOvers >= kMostHandOvers)
        return std::nullopt;
    return handOvers + 1;
}
