#include "AUpdate.h"

// The control file's instructions and text dialogs. Until they are built, a run carries
// out none of them: no pre-action runs, no text is fetched and nothing is presented.

int TAutoUpdate::RunPreActions() { return 0; }

void TAutoUpdate::ShowHTMLPage(const std::string&) {}

std::unique_ptr<TStringList> TAutoUpdate::FetchWhatsNewText() { return nullptr; }

std::unique_ptr<TStringList> TAutoUpdate::FetchAgreementText() { return nullptr; }

int TAutoUpdate::PresentWhatsNew(TStringList&) { return 0; }

int TAutoUpdate::PresentAgreement(TStringList&) { return 0; }
