#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ScriptedHttpServer.h"

// Today's date as the program writes it in a title. An item of a time of day up to 00:10 is
// always today's: no clock is more than 10 minutes before it.
std::string Today();

// A news page with these item rows, top to bottom, the way the show's site writes them.
struct ItemRow {
    std::string timeOfDay;
    std::string encodedText;
};
std::string NewsPage(const std::vector<ItemRow>& rows);
ScriptedReply Page(const std::vector<ItemRow>& rows);
// With one item row.
std::string NewsPage(const std::string& timeOfDay, const std::string& encodedText);
ScriptedReply Page(const std::string& timeOfDay, const std::string& encodedText);

// main.ini that points the program at the server, polling every PollSeconds.
std::string Settings(const ScriptedHttpServer& server, const std::string& sound = "1", int pollSeconds = 2);

size_t Count(const std::string& text, const std::string& part);

// The text of a rich-text file as a rich-text box reads it; nothing when the box cannot
// read it whole.
std::optional<std::string> RichTextOf(const std::string& rtf);

// news.rtf as the program's news log box writes it, holding `items` entries "Old item i"
// with the text "text i", made as long as `textLength` with blanks.
std::string LongNewsLog(int items, size_t textLength = 0);
