#pragma once
#include <optional>
#include <string>
#include <string_view>

// Where the text a section's file value names comes from.
struct InstructionTextSource {
    std::string Address;
    // The digest the text must have, when the update is authenticated.
    std::optional<std::string> ExpectedSha256;
    // An authenticated update whose control file names no valid digest: the text is refused
    // without being fetched, and the run shows nothing more.
    bool Refused = false;
};

// None when the section names no file. An authenticated update shows only the text its
// control file names by its digest.
std::optional<InstructionTextSource> InstructionTextSourceOf(std::string_view controlText, std::string_view section,
                                                             bool authenticationRequired);
