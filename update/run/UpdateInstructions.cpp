#include "AUpdate.h"
#include "InstructionTexts.h"
#include "PreActions.h"
#include "ShownText.h"
#include "UpdateDialogs.h"
#include "UpdateStatus.h"

// The pre-actions and the texts shown before an update; on UpdateTransfers and UpdateState.

namespace {

// A handler's answer: only 1 accepts, and a handler that does not answer declines.
int HandlerVerdict(const TAutoUpdateTextDownloaded& handler, TAutoUpdate& update, TStringList& text)
{
    int res = 0;
    handler(update, text, res);
    return res == 1 ? 0 : -1;
}

} // namespace

int TAutoUpdate::RunPreActions()
{
    UpdateEdge& edge = edge_;
    PreActionValues values{.Message = ControlValue("action", "msg"),
                           .HtmlDialog = ControlValue("action", "htmldlg"),
                           .RunBefore = ControlValue("action", "runbefore"),
                           .Query = ControlValue("action", "query"),
                           .ShowURL = ControlValue("action", "showURL"),
                           .HttpsOnly = AuthenticationRequired()};
    int result = RunPreActionSteps(
        values, [this](const std::string& value) { return ExpandPrefixes(value); },
        [this] {
            if (OnCustomProcess)
                OnCustomProcess(*this, ControlValue("custom", "processmsg"), ControlValue("custom", "processparam"));
        },
        edge);
    if (result != 0)
        run_.appUpdate = false;
    return result;
}

std::unique_ptr<TStringList> TAutoUpdate::FetchInstructionText(std::string_view section, int statusId)
{
    const std::optional<InstructionTextSource> source =
        InstructionTextSourceOf(controlText_, section, AuthenticationRequired());
    if (!source)
        return nullptr;
    Report(statusId);
    auto text = source->Refused ? nullptr : DownloadText(source->Address, kMaxTextBytes, source->ExpectedSha256);
    if (!text && AuthenticationRequired()) {
        Report(usTextRefused, source->Address);
        run_.textRefused = true;
    }
    return text;
}

std::unique_ptr<TStringList> TAutoUpdate::FetchWhatsNewText()
{
    return FetchInstructionText("whatsnew", usWhatsNewInstruction);
}

std::unique_ptr<TStringList> TAutoUpdate::FetchAgreementText()
{
    return FetchInstructionText("eula", usAgreementInstruction);
}

int TAutoUpdate::PresentWhatsNew(TStringList& text)
{
    if (OnDownloadedWhatsNew)
        return HandlerVerdict(OnDownloadedWhatsNew, *this, text);
    WhatsNewCaptions captions{.Caption = ShownText(ControlValue("whatsnew", "caption")),
                              .Ok = ShownText(ControlValue("whatsnew", "okbtn", "Ok")),
                              .Cancel = ShownText(ControlValue("whatsnew", "cancelbtn", "Cancel"))};
    if (ShowWhatsNewDialog(DialogOwner(), captions, ShownText(text.Text())))
        return 0;
    Report(usWhatsNewDeclined);
    return -1;
}

int TAutoUpdate::PresentAgreement(TStringList& text)
{
    if (OnDownloadedEULA)
        return HandlerVerdict(OnDownloadedEULA, *this, text);
    AgreementCaptions captions{.Caption = ShownText(ControlValue("eula", "caption")),
                               .Ok = ShownText(ControlValue("eula", "okbtn", "Ok")),
                               .Accept = ShownText(ControlValue("eula", "accept", "I accept")),
                               .NotAccept = ShownText(ControlValue("eula", "notaccept", "I do not accept"))};
    return ShowAgreementDialog(DialogOwner(), captions, ShownText(text.Text())) ? 0 : -1;
}
