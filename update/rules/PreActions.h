#pragma once
#include <functional>
#include <string>

#include "PrefixExpansion.h"
#include "UpdateEdge.h"

// The [action] values that act before the download, as the control file writes them.
struct PreActionValues {
    std::string Message;    // msg
    std::string HtmlDialog; // htmldlg
    std::string RunBefore;  // runbefore
    std::string Query;      // query
    std::string ShowURL;    // showURL
    // An authenticated update: the page and the address are opened only as https addresses, which
    // cannot be changed on their way.
    bool HttpsOnly = false;
};

// Message, page, command, custom handler, question, address: in this order, each only for a
// non-empty value; with HttpsOnly, a page or address of another scheme is refused (960).
// Texts reach the person as ShownText, with "\n" as line breaks. The result is 0, or -1 when
// the question was not answered Yes; the address is opened all the same.
int RunPreActionSteps(const PreActionValues& values, const PrefixExpander& expandPrefixes,
                      const std::function<void()>& customProcess, UpdateEdge& edge);
