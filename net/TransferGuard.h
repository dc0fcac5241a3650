#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "Exception.h"
#include "Sha256.h"
#include "TransferBudget.h"

// Why a transfer ended without its bytes.
enum class TransferFailure {
    Address,   // not an address that can be asked
    Missing,   // a local file to copy that is not there or cannot be opened
    Empty,     // a local file to copy that holds nothing
    Connect,   // no connection could be made to its server
    Open,      // the request could not be made
    Send,      // the request could not be sent or got no answer
    NoReply,   // what came back is no HTTP reply
    Redirect,  // a redirection the policy does not follow
    Stopped,   // the budget ended it: cancelled, out of time or too slow
    Cancelled, // the caller's progress handler asked to stop
    TooLarge,  // more bytes than the transfer may take
    Read,      // a read failed
    Cut,       // fewer bytes than the reply announced
    Digest,    // the bytes are not the ones expected
    Write,     // the bytes could not be kept
    Inflate,   // a gzip reply that does not inflate
    Encoded,   // a reply in a content coding where its bytes are wanted as they are
};

class TransferError : public Exception {
public:
    TransferError(TransferFailure failure, const std::string& message,
                  TransferBudget::Verdict verdict = TransferBudget::Verdict::Go)
        : Exception(message), failure_(failure), verdict_(verdict)
    {
    }
    TransferFailure Failure() const { return failure_; }
    // For Stopped: the budget's verdict, and the message says it in a word or three
    // ("cancelled", "time limit", "download too slow").
    TransferBudget::Verdict Verdict() const { return verdict_; }

private:
    TransferFailure failure_;
    TransferBudget::Verdict verdict_;
};

// What every transfer is held to between its reads, whatever carries its bytes (HTTP, FTP, a
// folder copy): the budget's time and speed limits and its cancel, a byte cap, and the SHA-256
// the bytes must have. Counted into the budget from construction to destruction.
class TransferGuard {
public:
    TransferGuard(TransferBudget& budget, TransferBudget::Kind kind, uint64_t maxBytes,
                  std::optional<std::string> expectedSha256 = std::nullopt);
    ~TransferGuard();
    TransferGuard(const TransferGuard&) = delete;
    TransferGuard& operator=(const TransferGuard&) = delete;

    // Raises TransferError (Stopped) when the budget ends the transfer; asked before each read
    // and each redirection, and while a request is being sent.
    void Check();
    // How long the transfer may wait for its next bytes (TransferBudget::MsLeft).
    uint64_t MsLeft() const;
    // Counts a block in; raises TransferError (TooLarge) when it takes the transfer past its cap.
    void Take(std::string_view bytes);
    // Raises TransferError (TooLarge) for an announced size past the cap.
    void CheckAnnounced(uint64_t size) const;
    // Raises TransferError (Digest) unless the bytes taken have the digest expected, if any.
    void CheckDigest();
    uint64_t Total() const { return total_; }
    uint64_t MaxBytes() const { return maxBytes_; }

private:
    TransferBudget& budget_;
    uint64_t maxBytes_;
    uint64_t total_ = 0;
    std::optional<std::string> expected_;
    std::optional<Sha256> digest_;
};

// A transfer's blocks: the reader fills the buffer and answers how many bytes it put there (0
// at the end), raising TransferError (Read) when it cannot; the sink keeps a block (false: it
// could not, Write); onBlock hears the total after each read, the last one of 0 bytes too
// (false: the caller asks to stop, Cancelled).
using BlockReader = std::function<size_t(char* buffer, size_t size)>;
using BlockSink = std::function<bool(std::string_view block)>;
using BlockHandler = std::function<bool(uint64_t total)>;

// Moves blocks from the reader to the sink until the reader's end, asking the guard before each
// read and counting each block into it; at the end, checkWhole (when given) checks what the
// carrier knows of the whole (a cut-off reply is cut, not wrong), then the digest is checked.
// Raises TransferError.
void MoveBlocks(TransferGuard& guard, size_t blockSize, const BlockReader& read, const BlockSink& sink,
                const BlockHandler& onBlock, const std::function<void()>& checkWhole = {});

// The steady clock transfer budgets are kept by.
uint64_t TransferClockMs();
