#include "InstructionTexts.h"

#include "AuthenticationText.h"
#include "ControlValues.h"

std::optional<InstructionTextSource> InstructionTextSourceOf(std::string_view controlText, std::string_view section,
                                                             bool authenticationRequired)
{
    std::string address = ControlValue(controlText, section, "file");
    if (address.empty())
        return std::nullopt;
    if (!authenticationRequired)
        return InstructionTextSource{.Address = std::move(address)};
    const auto digest = ParseSha256Value(ControlValue(controlText, section, "sha256"));
    return InstructionTextSource{.Address = std::move(address), .ExpectedSha256 = digest, .Refused = !digest};
}
