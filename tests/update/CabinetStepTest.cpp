#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "AUpdate.h"
#include "ArchiveFiles.h"
#include "ProgramUnderTest.h"
#include "Text.h"

// A run of the update component from a local folder: a downloaded cabinet is extracted into
// its target folder and removed, unless intermediate files are kept; one that does not
// extract is reported and stays.
namespace {

class StatusRecorder : public TAutoUpdate {
public:
    StatusRecorder() : TAutoUpdate(nullptr) {}
    void ReportStatus(int id, const std::string& param, int, int) override { statuses.push_back({id, param}); }
    std::vector<std::pair<int, std::string>> statuses;
};

TEST(CabinetStep, ExtractsADownloadedCabinetAndKeepsOneThatFails)
{
    for (bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "kept" : "removed");
        ProgramFolder folder(keep ? L"cabinet step kept" : L"cabinet step");
        for (const wchar_t* name : {L"good.cab", L"damaged.cab"})
            ASSERT_TRUE(CopyFileW(ArchiveFile(name).c_str(), folder.File(name).c_str(), FALSE));
        ASSERT_TRUE(CreateDirectoryW(folder.File(L"target").c_str(), nullptr));
        const std::string target = Narrow(folder.File(L"target"));
        // A component whose name ends like the good cabinet's does not make that cabinet one.
        std::string control = "[update]\r\nunconditional=1\r\n[application]\r\nappcomps=" +
                              Narrow(folder.File(L"notgood.cab")) + "\r\n[files]\r\ncount=2\r\n";
        for (const char* number : {"1", "2"})
            control += std::string("[file") + number + "]\r\nurl=" + Narrow(folder.File(number[0] == '1' ? L"good.cab" : L"damaged.cab")) +
                       "\r\ntargetdir=" + target + "\r\ndate=01/01/2020\r\nlocalversion=" + target + "\\missing.txt\r\n";
        folder.Write(L"control.inf", control);

        StatusRecorder update;
        update.UpdateType = TAutoUpdateType::fileUpdate;
        update.UpdateUpdate = TAutoUpdateUpdate::auuSilent;
        update.ExtractCAB = true;
        update.KeepIntermediateFiles = keep;
        update.URL = Narrow(folder.File(L"control.inf"));
        update.RunUpdate();

        EXPECT_EQ(folder.Read(L"target\\a.txt"), "top level\r\n");
        EXPECT_EQ(folder.Read(L"target\\sub\\deep\\b.txt"), "two folders down\r\n");
        EXPECT_EQ(folder.Exists(L"target\\good.cab"), keep);
        EXPECT_TRUE(folder.Exists(L"target\\damaged.cab"));
        const auto cabinetErrors = std::count_if(update.statuses.begin(), update.statuses.end(),
                                                 [](const auto& status) { return status.first == 947; });
        EXPECT_EQ(cabinetErrors, 1);
        EXPECT_TRUE(std::find(update.statuses.begin(), update.statuses.end(),
                              std::pair<int, std::string>(947, target + "\\damaged.cab")) != update.statuses.end());
    }
}

} // namespace
