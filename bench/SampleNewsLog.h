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
