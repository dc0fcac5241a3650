#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "PlatformEdge.h"
#include "PreActions.h"

namespace {

// Writes down every effect in the order asked; answers the question as told.
class RecordingEdge : public PlatformEdge {
public:
    explicit RecordingEdge(bool answerYes) : answerYes_(answerYes) {}
    std::vector<std::string> Log;

    void ReportStatus(int id, const std::string& param) override
    {
        Log.push_back("status " + std::to_string(id) + (param.empty() ? "" : " " + param));
    }
    void ReportStatusWithCodes(int id, const std::string& param, int, int) override { ReportStatus(id, param); }
    void ShowMessage(const std::string& text) override { Log.push_back("message " + text); }
    void ShowHTMLPage(const std::string& address) override { Log.push_back("page " + address); }
    void StartCommand(const std::string& commandLine) override { Log.push_back("start " + commandLine); }
    bool AskYesNo(const std::string& question) override
    {
        Log.push_back("ask " + question);
        return answerYes_;
    }
    void OpenAddress(const std::string& address) override { Log.push_back("open " + address); }
    void PumpMessages() override {}
    std::optional<TDateTime> LocalFileTime(const std::string&) override { return std::nullopt; }

private:
    bool answerYes_;
};

// Marks what it expanded; an address that starts out as https stays one.
std::string MarkedExpansion(const std::string& value)
{
    return value.starts_with("https://") ? value + "{}" : "{" + value + "}";
}

struct Case {
    const char* name;
    PreActionValues values;
    bool answerYes;
    int result;
    std::vector<std::string> log;
};

} // namespace

TEST(PreActions, RunInOrderAndADeclinedQueryStillOpensTheAddress)
{
    const PreActionValues all{.Message = "Nová verze\\nje tu",
                              .HtmlDialog = "news.htm",
                              .RunBefore = "notepad.exe",
                              .Query = "Stáhnout?\\nAno/Ne",
                              .ShowURL = "http://example.test/"};
    const Case cases[] = {
        {"nothing but the custom handler", {}, true, 0, {"custom"}},
        {"everything, query answered Yes",
         all,
         true,
         0,
         {"status 934", "message Nová verze\r\nje tu", "status 935", "page {news.htm}", "start {notepad.exe}",
          "custom", "status 936", "ask Stáhnout?\r\nAno/Ne", "status 942", "open {http://example.test/}"}},
        {"everything, query declined",
         all,
         false,
         -1,
         {"status 934", "message Nová verze\r\nje tu", "status 935", "page {news.htm}", "start {notepad.exe}",
          "custom", "status 936", "ask Stáhnout?\r\nAno/Ne", "status 942", "open {http://example.test/}"}},
        {"declined query alone", {.Query = "Q"}, false, -1, {"custom", "status 936", "ask Q"}},
        {"message and address", {.Message = "M", .ShowURL = "u"}, false, 0,
         {"status 934", "message M", "custom", "status 942", "open {u}"}},
        {"command alone reports nothing", {.RunBefore = "x"}, true, 0, {"start {x}", "custom"}},
        {"signed: only https pages and addresses",
         {.HtmlDialog = "http://example.test/news.htm", .ShowURL = "https://example.test/", .HttpsOnly = true},
         true,
         0,
         {"status 935", "status 960 {http://example.test/news.htm}", "custom", "status 942",
          "open https://example.test/{}"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingEdge edge(c.answerYes);
        EXPECT_EQ(RunPreActionSteps(c.values, MarkedExpansion, [&] { edge.Log.push_back("custom"); }, edge),
                  c.result);
        EXPECT_EQ(edge.Log, c.log);
    }
}
