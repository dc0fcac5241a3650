#pragma once
#include <optional>
#include <string>

#include "UpdateEntries.h"
#include "UpdateModes.h"

struct DownloadListOptions {
    TAutoUpdateUpdate Prompting = TAutoUpdateUpdate::auuPromptOnce;
    bool AuthenticationRequired = false;
    bool ExtractCAB = false;
    bool ApplyPatch = false;
    bool KeepIntermediateFiles = false;
    std::string AppComponents; // [application] appcomps: files left to the updater
    long long MaxTransferBytes = 0;
};

// How a listed file is fetched. An authenticated update takes a file only when its entry
// names the digest it must have.
struct DownloadPlan {
    bool Refused = false; // not fetched at all
    std::optional<std::string> ExpectedSha256;
    long long SizeLimit = 0;
};
DownloadPlan PlanDownload(const TFileDescription& item, const DownloadListOptions& options);

// What becomes of a file that arrived. Cabinets and patches that belong to the running
// application are left to the updater.
struct ArrivedFilePlan {
    bool Component = false; // the updater puts it in place: the application restarts
    // A new program of the running application, which must be newer than the one it replaces.
    bool CheckReplacement = false;
    bool ExtractCabinet = false;
    bool ApplyPatch = false;
};
ArrivedFilePlan PlanArrivedFile(const TFileDescription& item, const std::string& localName,
                                const DownloadListOptions& options);

// The most bytes an entry's transfer may bring.
long long TransferLimit(const TFileDescription& item, long long maxTransferBytes);

// Whether appcomps names the file as a whole file name.
bool IsComponentFile(const std::string& components, const std::string& localName);
