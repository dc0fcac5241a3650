#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "ComponentCalls.h"
#include "ControlDate.h"
#include "UpdateEdge.h"

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

// A date, else unconditional, else a new version decides; a custom handler has the last word.
UpdateSectionResult EvaluateUpdateSection(std::string_view controlText, const ComponentCalls& calls, UpdateEdge& edge);
