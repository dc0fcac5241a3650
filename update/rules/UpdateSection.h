#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "ControlDate.h"

// Update kinds the [update] section's evaluation answers.
enum UpdateKind : int {
    ukDate = 6,
    ukNone = 7,
    ukUnconditional = 8,
    ukSize = 9,
    ukChecksum = 10,
    ukVersion = 11,
    ukCustom = 12
};

struct UpdateSectionResult {
    int Kind = ukNone;
    // The date [update] names, kept as the last update's once the run is through.
    std::optional<TDateTime> ControlDate;
};

class UpdateSectionHost {
public:
    virtual ~UpdateSectionHost() = default;
    virtual void ReportStatus(int id, const std::string& param) = 0;
    virtual std::string ExpandPrefixes(const std::string& value) = 0;
    virtual TDateTime ControlDateTime(const std::string& date, const std::string& time) = 0;
    // The date of the last update carried out.
    virtual TDateTime LastUpdateDate() = 0;
    // May rewrite both texts as the dotted versions it compared.
    virtual bool IsNewerThanLocal(std::string& newVersion, std::string& localFile, int checksum, int size) = 0;
    // The application's own verdict on [custom] validatemsg and validateparam; none without a handler.
    virtual std::optional<bool> CustomValidate(const std::string& message, const std::string& parameter) = 0;
};

// A date, else unconditional, else a new version decides; a custom handler has the last word.
UpdateSectionResult EvaluateUpdateSection(std::string_view controlText, UpdateSectionHost& host);
