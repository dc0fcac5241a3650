#include "DownloadListStep.h"

#include <algorithm>
#include <string_view>

#include "AsciiCase.h"
#include "Text.h"
#include "UpdatePaths.h"
#include "UpdaterCommandLine.h"

DownloadPlan PlanDownload(const TFileDescription& item, const DownloadListOptions& options)
{
    const bool digestMissing = options.AuthenticationRequired && item.Sha256.empty();
    DownloadPlan plan{.Refused = digestMissing, .SizeLimit = TransferLimit(item, options.MaxTransferBytes)};
    if (options.AuthenticationRequired && !digestMissing)
        plan.ExpectedSha256 = item.Sha256;
    return plan;
}

ArrivedFilePlan PlanArrivedFile(const TFileDescription& item, const std::string& localName,
                                const DownloadListOptions& options)
{
    const bool component = IsComponentFile(options.AppComponents, localName);
    const std::string extension = ToUpper(ExtensionOf(localName));
    return {.Component = component,
            .CheckReplacement =
                component && ComponentKindOf(Widen(item.TargetDir + localName)) == ComponentKind::Replacement,
            .ExtractCabinet = extension == ".CAB" && options.ExtractCAB && !component,
            .ApplyPatch = extension == ".PAT" && options.ApplyPatch && !item.LocalVersion.empty() && !component};
}

// A packed file (compressed, or a cabinet) may be larger than the file it gives, so only
// its stated transfer size bounds it; otherwise the size the entry names, which the
// transfer must match.
long long TransferLimit(const TFileDescription& item, long long maxTransferBytes)
{
    const bool packed = item.Compressed || ToUpper(ExtensionOf(item.URL)) == ".CAB";
    const long long stated = item.FileSize > 0 ? item.FileSize : packed ? 0 : item.NewSize;
    return stated > 0 ? std::min(stated, maxTransferBytes) : maxTransferBytes;
}

// The name counts only as a whole file name of the list: "good.cab" is not "notgood.cab".
bool IsComponentFile(const std::string& components, const std::string& localName)
{
    constexpr size_t npos = std::string::npos;
    const std::string list = ToUpper(components), name = ToUpper(localName);
    if (name.empty())
        return false;
    for (size_t at = list.find(name); at != npos; at = list.find(name, at + 1)) {
        const size_t end = at + name.size();
        const bool nameStarts = at == 0 || std::string_view("\\/ \"").find(list[at - 1]) != npos;
        const bool nameEnds = end == list.size() || std::string_view(" \"").find(list[end]) != npos;
        if (nameStarts && nameEnds)
            return true;
    }
    return false;
}
