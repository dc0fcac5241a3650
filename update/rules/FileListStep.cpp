#include "FileListStep.h"

#include "AuthenticationText.h"
#include "ControlValues.h"
#include "UpdateStatus.h"

namespace {

bool FileIsWanted(const TFileDescription& item, const ComponentCalls& calls, UpdateEdge& edge)
{
    if (!item.LocalVersion.empty() && !item.NewDate.empty()) {
        // A missing local file counts as older than any update.
        auto localDate = edge.LocalFileTime(item.LocalVersion);
        return !localDate || *localDate < calls.ControlDateTime(item.NewDate, item.NewTime);
    }
    std::string newVersion = item.NewVersion, localFile = item.LocalVersion;
    if (!calls.IsNewerThanLocal(newVersion, localFile, item.NewCheckSum, item.NewSize))
        return false;
    if (item.NewCustomVer.empty())
        return true;
    return calls.CustomVersionIsNew(item.NewCustomVer, item.LocalVersion).value_or(true);
}

} // namespace

TFileDescription ReadFileEntry(std::string_view controlText, int number, const PrefixExpander& expandPrefixes)
{
    const std::string section = "file" + std::to_string(number);
    auto value = [&](std::string_view key) { return ControlValue(controlText, section, key); };
    auto integer = [&](std::string_view key, long long defaultValue) {
        return int(ControlInteger(controlText, section, key, defaultValue));
    };
    TFileDescription item;
    item.URL = expandPrefixes(value("url"));
    item.NewVersion = value("newversion");
    item.NewSize = integer("newsize", 0);
    item.NewCheckSum = integer("newchecksum", -1);
    item.NewCustomVer = value("customversion");
    item.NewDate = value("date");
    item.NewTime = value("time");
    item.LocalVersion = expandPrefixes(value("localversion"));
    item.Description = value("descr");
    item.TargetDir = expandPrefixes(value("targetdir"));
    if (!item.TargetDir.empty() && item.TargetDir.back() != '\\' && item.TargetDir.back() != '/')
        item.TargetDir += '\\';
    item.Compressed = integer("compressed", 0) == 1;
    item.FileSize = integer("filesize", 0);
    item.Sha256 = ParseSha256Value(value("sha256")).value_or("");
    return item;
}

int LoadFileList(std::string_view controlText, TFileList& list, const PrefixExpander& expandPrefixes,
                 UpdateEdge& edge)
{
    list.Items.clear();
    const int count = int(ControlInteger(controlText, "files", "count", 0));
    if (count > 0) {
        edge.ReportStatus(usFileUpdateInstruction, {});
        for (int number = 1; number <= count; ++number)
            list.Items.push_back(ReadFileEntry(controlText, number, expandPrefixes));
    }
    return count;
}

int FilterFileList(TFileList& list, const ComponentCalls& calls, UpdateEdge& edge)
{
    auto& items = list.Items;
    for (size_t i = 0; i < items.size();) {
        if (FileIsWanted(items[i], calls, edge))
            ++i;
        else
            items.erase(items.begin() + ptrdiff_t(i));
    }
    TStringList descriptions;
    for (const TFileDescription& item : items)
        descriptions.Add(item.Description);
    if (calls.ChooseFiles(descriptions))
        for (size_t i = items.size(); i-- > 0;)
            if (i < descriptions.Count() && descriptions[i].empty())
                items.erase(items.begin() + ptrdiff_t(i));
    return items.empty() ? -1 : 0;
}
