#pragma once
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "ResumeRules.h"
#include "TransferGuard.h"

// Every way a file arrives: over http or https, from an FTP server, or copied from a folder.
enum class FileCarrier { Web, Ftp, Folder };

struct FileSource {
    FileCarrier carrier = FileCarrier::Web;
    // Web: the address; FTP: the file's name in the connection's current folder; folder
    // copy: the file's path.
    std::string location;
    // The session (web) or FTP connection to go through.
    HINTERNET connection = nullptr;
    bool keepConnection = false;
    unsigned stepTimeoutMs = 10000;
    // Called while a web request is being sent or a read of it waits: a window's thread keeps
    // its messages handled.
    std::function<void()> whileWaiting;
    // Web: bytes an earlier attempt kept; only the rest is asked for.
    std::optional<HeldPart> held;
};

// Where the bytes go, asked for once the source is open and has something to give: from 0, or
// after the held bytes (which the opener counts into the guard), with the validator that lets
// them be resumed later (empty: they cannot be). An empty sink means they cannot be kept (Write).
using SinkOpener = std::function<BlockSink(uint64_t from, const std::string& validator)>;
// After each block: the total so far and the size the source announced (0: unknown); false
// asks to stop (Cancelled).
using FetchProgress = std::function<bool(uint64_t total, uint64_t announced)>;

struct Fetched {
    // False when a web server refused the file (a status of 300 or more): nothing was moved.
    bool moved = false;
    unsigned httpStatus = 0; // web only
};

// The one way a file is fetched, whatever carries it: its bytes move through the guard into
// the sink (MoveBlocks, WebTransfer::Receive), held to its budget, cap and digest. With held
// bytes, a web request asks for the rest (JudgeResumeReply): a 206 from their end is added to
// them, a 200 is taken whole, and a reply that does not fit is followed by a request for the
// whole file. Raises
// TransferError: Open for an FTP file that cannot be opened, Missing or Empty for a local
// file to copy, and what the transfer itself raises.
Fetched FetchFile(const FileSource& source, TransferGuard& guard, const SinkOpener& openSink,
                  const FetchProgress& onBlock);
