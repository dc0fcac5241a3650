#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "StringList.h"

class InstructionTextHost {
public:
    virtual ~InstructionTextHost() = default;
    virtual void ReportStatus(int id, const std::string& param) = 0;
    // The text at the address, checked against the digest when one is given; none when it
    // cannot be had.
    virtual std::unique_ptr<TStringList> DownloadText(const std::string& address,
                                                      const std::optional<std::string>& expectedSha256) = 0;
    // An authenticated text did not match its digest: the run shows nothing more.
    virtual void TextRefused() = 0;
};

// The text file that a section's file value names; none, without a status, when it names
// none. An authenticated update shows only the text its control file names by its digest.
std::unique_ptr<TStringList> FetchInstructionText(std::string_view controlText, std::string_view section,
                                                  int statusId, bool authenticationRequired, InstructionTextHost& host);

// The texts' order in a run, each step the component's own operation.
class TextsHost {
public:
    virtual ~TextsHost() = default;
    virtual int RunPreActions() = 0;
    virtual std::unique_ptr<TStringList> FetchWhatsNewText() = 0;
    virtual std::unique_ptr<TStringList> FetchAgreementText() = 0;
    // A text was refused or the run was stopped.
    virtual bool Ended() = 0;
    virtual int PresentWhatsNew(TStringList& text) = 0;
    virtual int PresentAgreement(TStringList& text) = 0;
};

// Pre-actions, then the what's-new and agreement texts; the agreement is fetched even after
// a declined what's-new text, but not shown. A run that ended shows nothing more.
bool TextsAccepted(TextsHost& host);
