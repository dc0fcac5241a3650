#pragma once
#include <windows.h>
#include <wininet.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Component.h"
#include "ComponentCalls.h"
#include "ComponentEdge.h"
#include "DownloadListStep.h"
#include "InternetHandle.h"
#include "StringList.h"
#include "TransferBudget.h"
#include "UpdateEntries.h"
#include "UpdateModes.h"
#include "UpdateSection.h"
#include "Win32Handle.h"

class TAutoUpdate;

// A component that carries the patch program.
class TAutoUpdateUtility : public TComponent {
public:
    using TComponent::TComponent;
};

// Registry place HKEY_CURRENT_USER\Key\Section of the last control-file address and date
// (kept as Save says), and of the last serial carried out (kept whenever a place is named:
// a replayed control file must not count as news to a run that saves nothing else).
struct TLastURLEntry {
    bool Save = false;
    std::string Key;
    std::string Section;
};

// The notification posted to the maker's web server after an update. Server is a host
// name, optionally followed by ":port" (80 otherwise).
struct TPostUpdateInfo {
    std::string Server;
    std::string Action;
    std::string Data; // URL-encoded form data, sent unchanged
    bool Enabled = false;
    std::string PostReply;
};

// A 64-byte P-256 public key: X then Y, big-endian.
using TUpdatePublicKey = std::array<unsigned char, 64>;

using TAutoUpdateEvent = std::function<void(TAutoUpdate& sender)>;
using TAutoUpdateFileProgress =
    std::function<void(TAutoUpdate& sender, const std::string& filename, int pos, int size)>;
using TAutoUpdateFileDownloaded = std::function<void(TAutoUpdate& sender, const std::string& filename)>;
using TAutoUpdateFileVersionCheck =
    std::function<void(TAutoUpdate& sender, const std::string& newversion, const std::string& localversion,
                       bool& IsNew)>;
using TAutoUpdateProcessPostResult = std::function<void(TAutoUpdate& sender, bool& AllowPostResult)>;
using TAutoUpdateProgressCancel = std::function<void(TAutoUpdate& sender, bool& cancel)>;
using TAutoUpdateStatus =
    std::function<void(TAutoUpdate& sender, const std::string& statusstr, int statuscode, int errcode)>;
using TAutoUpdateRestart = std::function<void(TAutoUpdate& sender, bool& allow)>;
using TAutoUpdateBeforeDownload =
    std::function<void(TAutoUpdate& sender, int FileIdx, const std::string& FileDescription, std::string& URL)>;
using TAutoUpdateCustomValidate =
    std::function<void(TAutoUpdate& sender, const std::string& msg, const std::string& param, bool& allow)>;
using TAutoUpdateCustomProcess =
    std::function<void(TAutoUpdate& sender, const std::string& msg, const std::string& param)>;
using TAutoUpdateFileList = std::function<void(TAutoUpdate& sender, TStringList& list)>;
using TAutoUpdateConvertPrefix = std::function<void(TAutoUpdate& sender, std::string& path)>;
using TAutoUpdateSetParams = std::function<void(TAutoUpdate& sender, std::string& AppParams)>;
using TAutoUpdateTextDownloaded = std::function<void(TAutoUpdate& sender, TStringList& Text, int& Res)>;
using TAutoUpdateFileNameFromURL = std::function<void(TAutoUpdate& sender, const std::string& URL, std::string& FName)>;

// The platform's connection-state functions, looked up in wininet.dll at each call. Tests
// put their own in place (the platform under Wine always reports a connection).
struct TInternetConnectionFunctions {
    std::function<bool()> IsConnected;
    std::function<bool(DWORD flags)> Dial;
    std::function<bool()> HangUp;
};
TInternetConnectionFunctions WinInetConnectionFunctions();

// How the last run or check ended.
enum class TUpdateRunOutcome {
    Failed,     // no control file, one refused, a file or the restart failed, or the run was stopped
    NothingNew, // the control file offers nothing this copy has not got
    Found,      // a check: an update to announce
    Declined,   // the person declined a question or a text
    Completed,  // the update is in place
    HandedOver, // the updater puts the new program in place and starts it again
};

struct TUpdateRunResult {
    // The control file arrived, whatever it then said.
    bool Answered = false;
    TUpdateRunOutcome Outcome = TUpdateRunOutcome::Failed;
    // Of an update found: nothing it does asks anything of the person (AsksNothingOfThePerson).
    bool AsksNothing = false;
    // Of an update found: [update] descr as the control file writes it.
    std::string Description;
};

// The self-update: one run fetches the control file, decides whether an update is due,
// shows what the control file asks to show, downloads the newer files and hands over to
// the updater program when files of the running application were replaced.
class TAutoUpdate : public TComponent {
public:
    explicit TAutoUpdate(TComponent* owner);
    ~TAutoUpdate() override;

    bool ApplyPatch = false;
    std::string DateFormat = "dd/mm/yyyy";
    char DateSeparator = '/';
    bool ExtractCAB = false;
    std::string FTPDirectory;
    bool FTPPassive = false;
    std::string Host;
    bool HTTPKeepAliveAuthentication = false;
    bool KeepIntermediateFiles = false;
    bool Logging = false;
    TLastURLEntry LastURLEntry;
    std::string Password;
    int Port = 21;
    TPostUpdateInfo PostUpdateInfo;
    std::string Proxy;
    std::string ProxyUserID;
    std::string ProxyPassword;
    std::string Signature = "AutoUpdate";
    bool SignatureCheck = false;
    std::string TempDirectory = ".";
    std::string TimeFormat = "hh:nn";
    char TimeSeparator = ':';
    TAutoUpdateType UpdateType = TAutoUpdateType::ftpUpdate;
    TAutoUpdateConnect UpdateConnect = TAutoUpdateConnect::aucNoConnect;
    TAutoUpdateUpdate UpdateUpdate = TAutoUpdateUpdate::auuPromptOnce;
    std::string URL;
    std::string UserID;
    bool UseCRC32 = false;
    TAutoUpdateUtility* Utility = nullptr;
    TAutoUpdateVersionCheck VersionCheck = TAutoUpdateVersionCheck::vcUpdateOnly;
    // When any are set, a control file counts only with a detached signature (address +
    // ".sig") that one of them verifies, and every listed file must match the SHA-256 its
    // entry names.
    std::vector<TUpdatePublicKey> PublicKeys;
    // The serial of the control file published with this build: with a key, a control file
    // must pass it as it must pass the last serial carried out.
    unsigned long long SerialFloor = 0;
    // False when this user cannot write the running program's folder: files aimed there are
    // then refused (946) rather than fetched for a replacement that cannot happen.
    bool ProgramFolderWritable = true;

    // Most bytes a transfer takes: a server that streams without end fails like a cut
    // transfer instead of filling the disk.
    static constexpr long long kMaxTransferBytes = 512LL << 20;
    static constexpr long long kMaxTextBytes = 1LL << 20;
    static constexpr long long kMaxSignatureBytes = 4LL << 10;
    // The time bounds of a run's transfers (and of each transfer made outside a run), and
    // of each step of a request: a server that accepts and never answers must not hold
    // start-up for long. Tests shorten them.
    TransferBudget::Limits TransferLimits;
    unsigned RequestTimeoutMs = 10000;

    TAutoUpdateFileProgress OnFileProgress;
    TAutoUpdateFileDownloaded OnFileDownloaded;
    TAutoUpdateFileVersionCheck OnFileVersionCheck;
    TAutoUpdateProcessPostResult OnProcessPostResult;
    TAutoUpdateProgressCancel OnProgressCancel;
    TAutoUpdateStatus OnStatus;
    TAutoUpdateRestart OnAppRestart;
    TAutoUpdateEvent OnAppDoClose;
    TAutoUpdateBeforeDownload OnBeforeFileDownload;
    TAutoUpdateCustomValidate OnCustomValidate;
    TAutoUpdateCustomProcess OnCustomProcess;
    TAutoUpdateFileList OnGetFileList;
    TAutoUpdateConvertPrefix OnConvertPrefix;
    TAutoUpdateSetParams OnSetAppParams;
    TAutoUpdateTextDownloaded OnDownloadedWhatsNew;
    TAutoUpdateTextDownloaded OnDownloadedEULA;
    TAutoUpdateFileNameFromURL OnFileNameFromURL;
    TAutoUpdateEvent OnSuccess;

    TInternetConnectionFunctions ConnectionFunctions = WinInetConnectionFunctions();

    TFileList FileList;

    // Update kinds that EvaluateUpdateSection answers.
    using UpdateKind = ::UpdateKind;
    using enum ::UpdateKind;

    // One whole update run; returns when it has ended. Its small transfers (control file,
    // signature, texts, post) have 30 s between them; a download is given up when it moves
    // less than 1 KiB/s for 30 s; all its transfers together have 50 s (TransferLimits as
    // they come). A download with a digest cut short goes on at the next attempt.
    void RunUpdate();
    // A check while the program runs: the control file and its signature fetched and judged
    // by every rule of a run, and no further. Found (Outcome) when the [update] section finds
    // an update, appupdate=1, and a newversion given is newer than the program folder's
    // main.exe. Stores the time of an answered check like a run.
    TUpdateRunResult CheckForUpdate();
    // What the last run or check came to; valid until the next one starts.
    const TUpdateRunResult& LastRun() const { return run_.result; }
    // A run or a check is under way (handlers called meanwhile must not start another).
    bool RunUnderWay() const { return runUnderWay_; }
    // When a run or a check last got an answer, as kept for this user (UTC seconds since
    // 1970); none when nothing is kept or no registry place is named.
    std::optional<int64_t> LastAnsweredCheck();
    // Stops a run under way at its next read: from then on nothing more is fetched, nor
    // replaced, posted or restarted after a stopped download or post. May be called at any
    // time.
    void Cancel() { budget_.Cancel(); }

    // Virtual operations, in slot order.
    virtual int PresentWhatsNew(TStringList& text);
    virtual int PresentAgreement(TStringList& text);
    virtual void ReportStatus(int id, const std::string& param, int statuscode, int errcode);
    virtual void WriteUpdaterProgram();
    virtual void WritePatcherProgram();
    virtual bool IsNewerThanLocal(std::string& newVersion, std::string& localFile, int checksum, int size);
    virtual void NotifyFileDownloaded(const std::string& path);
    virtual int OpenInternetSession();
    virtual int CloseInternetSession();
    virtual int ConnectFtpHost();
    virtual std::string ControlFileURL();
    virtual int FetchControlFile();
    virtual int EvaluateUpdateSection();
    virtual int RunPreActions();
    virtual std::unique_ptr<TStringList> FetchWhatsNewText();
    virtual std::unique_ptr<TStringList> FetchAgreementText();
    virtual int LoadFileList();
    virtual int FilterFileList();
    virtual int DownloadFileList();
    virtual std::string PrefixValue(const std::string& name);

    // Applying an update.
    void RestartApplication();
    int ExtractCabinet(const std::string& cabinet, const std::string& targetDir);
    bool RunAndWait(const std::string& commandLine);
    bool ForceFolder(const std::string& folder);
    void RunPostActions();
    void SendPostUpdateInfo();

    // Instructions of the control file.
    void ShowHTMLPage(const std::string& address);

    // Transfers.
    void ReportInternetError();
    // expectedSha256: lower-case hex the transferred bytes must match, when given. A transfer
    // of more than sizeLimit bytes fails and leaves nothing.
    // A small transfer spends the run's time allowance; a download is held to the speed rule.
    bool DownloadFile(HINTERNET connection, const std::string& address, bool compressed, const std::string& targetDir,
                      const std::optional<std::string>& expectedSha256 = std::nullopt,
                      long long sizeLimit = kMaxTransferBytes,
                      TransferBudget::Kind kind = TransferBudget::Kind::Download);
    // A text file, or none when it cannot be had or is larger than sizeLimit.
    std::unique_ptr<TStringList> DownloadText(const std::string& address, long long sizeLimit = kMaxTextBytes,
                                              const std::optional<std::string>& expectedSha256 = std::nullopt);
    void ExpandLZFile(const std::string& path);
    std::string AddProxyCredentials(const std::string& address, const std::string& user, const std::string& password);
    std::string FileNameFromURL(const std::string& address);

    // Control file and checks. Date-time values count days since 30 December 1899.
    std::string ExpandPrefixes(const std::string& value);
    double ControlDateTime(const std::string& date, const std::string& time) const;
    std::string ReadLastURL();
    void StoreLastURL(const std::string& address);
    double LastUpdateDate();
    void StoreLastUpdateDate(double dateTime);
    // A value of the downloaded control file, or the default when it has none.
    std::string ControlValue(std::string_view section, std::string_view key, std::string_view defaultValue = {}) const;

    // The connection handle of the run: the session itself for HTTP, the FTP connection,
    // or none.
    HINTERNET ConnectionHandle() const;

    // The system's temporary folder, ending in a path separator.
    static std::string TemporaryFolder();

protected:
    void Notification(TComponent* removed) override;

private:
    friend class ComponentEdge;
    // FetchControlFile's answer for a control file already carried out.
    static constexpr int kControlFileNothingNew = 7;
    // A status with its usual codes from the status table.
    void Report(int id, const std::string& param = {});
    // A whole run, or a check that ends once it knows whether an update is due.
    void Run(bool checkOnly);
    // Steps 3 to 12 of a run; false when the run is to close its session (step 13).
    bool RunOpenedSession();
    // Of a control file whose [update] section finds an update: what a check announces.
    void JudgeFinding();
    // The time of this answer, kept beside the serial.
    void StoreAnsweredCheck();
    bool TextsAccepted();
    // Fetches entry index of FileList and does with it what its plan says.
    void DownloadListedFile(int index, const DownloadListOptions& options);
    // The text a section names, fetched and checked: none when it names none or it is refused.
    std::unique_ptr<TStringList> FetchInstructionText(std::string_view section, int statusId);
    void PumpMessages();
    // Built-in keys make every update prove itself: a signed control file, a SHA-256 per file,
    // texts only over https.
    bool AuthenticationRequired() const { return !PublicKeys.empty(); }
    // The folder of a run's temporary files: TempDirectory, or where that takes no file (a
    // program folder this user cannot write) a folder of the run's own in the system's
    // temporary folder, removed with the run.
    class TransferFolderScope {
    public:
        explicit TransferFolderScope(TAutoUpdate& update);
        ~TransferFolderScope();
        TransferFolderScope(const TransferFolderScope&) = delete;
        TransferFolderScope& operator=(const TransferFolderScope&) = delete;

    private:
        TAutoUpdate& update_;
        std::wstring own_;
    };
    bool RunStopped() const { return budget_.RunVerdict() != TransferBudget::Verdict::Go; }
    // Refuses (958) a file that would put a lower version in place of the target; an equal
    // one is refused quietly.
    bool VersionAllowsReplacing(const std::wstring& candidate, const std::string& target);
    // The last serial carried out as stored; none when nothing is stored.
    std::optional<std::string> LastSerial();
    void StoreSerial();
    // A restart run's serial waits as pending, with the files the updater is to put in place,
    // until a later start finds them there. False when the same files were handed over as
    // often as allowed and still wait: the updater is not started for them again.
    bool KeepSerialPending(const std::wstring& componentPaths);
    // After a hand-over that did not happen (the updater could not be started): the pending
    // entries as KeepSerialPending found them, so that nothing counts it.
    void RestorePendingSerial();
    void SettlePendingSerial();
    // The serial pending as stored; none when none is.
    std::optional<unsigned long long> PendingSerial();
    bool ProgressCancelled(const std::string& filename, long long pos, long long size);
    std::string RegistryPath() const;
    // The component's operations and handlers, for the control file's decisions.
    ComponentCalls Calls();

    // Run state.
    // WinInet stays loaded while a session may be opened and used: the connection test
    // releases the library it looks up, and loading it anew costs tens of milliseconds.
    ModuleHandle wininet_;
    // What one run has found and done, made afresh as it starts: a run, or a check, never
    // goes on from what an earlier one left.
    struct RunState {
        bool checkOnly = false;
        TUpdateRunResult result;
        std::string controlFilePath;
        // The component dialled the connection itself (only then it hangs up).
        bool dialled = false;
        // The local update date came from the registry: the control file's date is stored there.
        bool dateFromRegistry = false;
        double controlDate = 0;
        // From [application].
        std::string appCommand;
        std::string appComponents;
        bool appUpdate = false;
        bool silentRestart = false;
        bool restartNeeded = false;
        bool ftpFolderEntered = false;
        // The run's end is told once.
        bool stopReported = false;
        // The serial of the control file being carried out; stored once the run has
        // completed without a failed file, or kept pending until the updater's files are in place.
        std::optional<unsigned long long> serial;
        // The pending serial, files and hand-over count before this run kept its own.
        std::optional<std::array<std::string, 3>> pendingBefore;
        bool fileFailed = false;
        bool versionRefused = false;
        bool textRefused = false;
    };
    RunState run_;
    InternetHandle session_;
    InternetHandle ftpConnection_;
    std::string controlText_;
    TransferBudget budget_;
    bool runUnderWay_ = false;
    std::string transferFolder_;
    const std::string& TransferFolder() const { return transferFolder_.empty() ? TempDirectory : transferFolder_; }
    unsigned long long lastPumpMs_ = 0;
    bool runOpen_ = false;
    std::string updaterProgram_; // upd.exe as WriteUpdaterProgram left it, in a folder of its own
    // Where the run reaches the platform.
    ComponentEdge edge_{*this};
};
