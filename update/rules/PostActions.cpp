#include "PostActions.h"

#include "UpdateStatus.h"

void RunPostActionSteps(const PostActionValues& values, PostActionHost& host)
{
    if (values.PostEnabled)
        host.PostUpdateInfo();
    host.StoreLastUpdateDate();
    if (host.RunStopped())
        return;
    if (!values.UpdateURL.empty()) {
        host.ReportStatus(usRedirectionInstruction, {});
        host.StoreLastURL(values.UpdateURL);
    }
    if (values.WritePatcher)
        host.WritePatcherProgram();
    // Expanded even when empty: the application's prefix handler sees every value.
    if (std::string runAfter = host.ExpandPrefixes(values.RunAfter); !runAfter.empty())
        host.StartCommand(runAfter);
    host.ReportStatus(usFinished, {});
}
