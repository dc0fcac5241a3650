#pragma once
#include <windows.h>

#include <string>

// The modal windows of an update run. Every text is UTF-8, ready to show (see ShownText).

// The window the update run's dialogs belong to: the application's, when there is one.
HWND DialogOwner();

struct WhatsNewCaptions {
    std::string Caption;
    std::string Ok = "Ok";
    std::string Cancel = "Cancel";
};

struct AgreementCaptions {
    std::string Caption;
    std::string Ok = "Ok";
    std::string Accept = "I accept";
    std::string NotAccept = "I do not accept";
};

// Control identifiers of the two text dialogs besides IDOK and IDCANCEL.
enum TextDialogControl { idTextBox = 100, idAccept = 101, idNotAccept = 102 };

// 400 × 400 pixels, centred on the screen, the text read-only in a scrolling box.
// True unless closed with Cancel or the close box.
bool ShowWhatsNewDialog(HWND owner, const WhatsNewCaptions& captions, const std::string& text);
// True only when "I accept" is selected as the dialog closes, however it closes.
bool ShowAgreementDialog(HWND owner, const AgreementCaptions& captions, const std::string& text);

void ShowInformation(HWND owner, const std::string& text);
bool AskYesNo(HWND owner, const std::string& question);
// A page the platform cannot show in a dialog of its own: names the address and offers to
// open it in the browser; returns when closed.
void ShowAddressDialog(HWND owner, const std::string& address);

// The shell's "open" verb on an address (no parameters, no folder, default show state).
void OpenAddress(const std::string& address);
