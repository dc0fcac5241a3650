#pragma once
#include <string_view>

// Whether an address may be handed to the shell as a link: a web (http, https) or mail
// (mailto) address, the scheme in any case, with no control character or quotation mark
// in it. Anything else (a program's or a document's path, another scheme) would be run
// or opened by the shell as it stands.
bool IsLinkAddress(std::string_view address);
