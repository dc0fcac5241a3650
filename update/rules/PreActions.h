#pragma once
#include <string>

// The [action] values that act before the download, as the control file writes them.
struct PreActionValues {
    std::string Message;    // msg
    std::string HtmlDialog; // htmldlg
    std::string RunBefore;  // runbefore
    std::string Query;      // query
    std::string ShowURL;    // showURL
    // A signed update: the page and the address are opened only as https addresses, which
    // cannot be changed on their way.
    bool HttpsOnly = false;
};

// The effects of the pre-actions; the update component carries them out.
class PreActionHost {
public:
    virtual ~PreActionHost() = default;
    virtual std::string ExpandPrefixes(const std::string& value) = 0;
    virtual void ReportStatus(int id, const std::string& param) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void ShowHTMLPage(const std::string& address) = 0;
    virtual void StartCommand(const std::string& commandLine) = 0;
    // Hands [custom] processmsg and processparam to the application's handler, if it has one.
    virtual void CustomProcess() = 0;
    virtual bool AskYesNo(const std::string& question) = 0;
    virtual void OpenAddress(const std::string& address) = 0;
};

// Message, page, command, custom handler, question, address: in this order, each only for a
// non-empty value; with HttpsOnly, a page or address of another scheme is refused (960). Texts reach the host as ShownText, with "\n" as line breaks. The result is
// 0, or -1 when the question was not answered Yes; the address is opened all the same.
int RunPreActionSteps(const PreActionValues& values, PreActionHost& host);
