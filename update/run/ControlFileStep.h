#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ApplicationSection.h"
#include "DetachedSignature.h"
#include "StringList.h"

// The control file step's answer for a control file already carried out.
inline constexpr int kControlFileNothingNew = 7;

struct ControlFileInput {
    std::string Address;
    // With keys, the control file counts only with a detached signature (address + ".sig")
    // that one of them verifies, and only with a serial above the last one carried out.
    const std::vector<PublicKeyBytes>& Keys;
    // The marker [update] signature must carry (the component's Signature, when it checks
    // it): a plain text, no authentication.
    std::optional<std::string> RequiredMarker;
};

struct ControlFileResult {
    int Code = 0; // 0; 4 not found; 5 a signature or serial refused; kControlFileNothingNew
    // The text, once its signature holds.
    std::optional<std::string> Text;
    // The fresh serial of a signed control file.
    std::optional<unsigned long long> Serial;
    std::optional<ApplicationValues> Application;
};

class ControlFileHost : public ApplicationSectionHost {
public:
    virtual void ReportStatus(int id, const std::string& param) = 0;
    // The control file's bytes as fetched; none when it could not be had.
    virtual std::optional<std::string> FetchControlFile(const std::string& address) = 0;
    // The detached signature as a text; none when it could not be had.
    virtual std::unique_ptr<TStringList> FetchSignature(const std::string& address) = 0;
    virtual std::optional<unsigned long long> LastSerial() = 0;
};

// Fetch, signature, serial verdict, signature text, then [application].
ControlFileResult RunControlFileStep(const ControlFileInput& input, ControlFileHost& host);
