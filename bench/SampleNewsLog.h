#pragma once
#include <string>

// Items as the show's news would bring them, for news logs of any length.

// Item i's title, unique for the sizes measured here.
std::string Title(int i);
// A Czech news sentence of 80 to 150 characters, different for each item.
std::string Text(int i);
// The text as the show's page writes it: percent-encoded UTF-8.
std::string Encoded(const std::string& text);
// news.rtf as the main window's log box writes it for a log of that many items.
std::string SampleNewsRtf(int items);
// The same log as another rich-text writer puts it: its own head (code page 1250, Czech as
// the default language, font and colour tables of another form) and paragraph formatting.
std::string OtherWriterNewsRtf(int items);
// The same log as plain text (UTF-8), which the program takes as such.
std::string PlainTextNewsLog(int items);
