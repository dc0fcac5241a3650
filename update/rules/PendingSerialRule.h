#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A serial whose files the updater is still to put in place. The run keeps it as pending
// before it starts the updater, and the next start settles it: it counts as carried out only
// once its files are in place.

// One component path as handed to the updater, with the SHA-256 (lower-case hex) the file it
// puts in place must have; empty where the result cannot be compared (a cabinet or a patch,
// which the updater removes once it has applied them).
struct PendingFile {
    std::string Path;
    std::string Sha256;
};

// The registry text of the files: a line each, the digest (or "-") and the path.
std::string PendingFilesText(const std::vector<PendingFile>& files);
std::vector<PendingFile> ParsePendingFiles(std::string_view text);

// What a start found of one pending file.
struct PendingCheck {
    std::string Expected;                   // PendingFile::Sha256
    bool ComponentLeft = false;             // the component is still there: not taken yet
    std::optional<std::string> TargetSha256; // of the file in the place it was to take
};

enum class PendingOutcome {
    None,  // nothing pending
    Store, // every file in place: the serial counts as carried out
    Drop,  // the files are not in place (the updater undid them) or it would lower the serial
    Wait,  // a component still waits for the updater: the serial stays pending
};
PendingOutcome SettlePending(std::optional<unsigned long long> pending, std::optional<unsigned long long> stored,
                             const std::vector<PendingCheck>& checks);

// The same files are handed to the updater at most this often: an updater that cannot put
// them in place must not restart the program at every start.
inline constexpr unsigned long long kMostHandOvers = 2;

// The hand-over count to keep for filesText, given what is pending; none when these files
// were handed over as often as allowed and still wait.
std::optional<unsigned long long> NextHandOver(std::string_view pendingFilesText, unsigned long long handOvers,
                                               std::string_view filesText);
