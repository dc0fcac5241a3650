#include "TransferGuard.h"

#include <windows.h>

#include <vector>

namespace {

// Short enough to stand in the update's log line.
std::string StopMessage(TransferBudget::Verdict verdict)
{
    switch (verdict) {
    case TransferBudget::Verdict::Cancelled:
        return "cancelled";
    case TransferBudget::Verdict::OutOfTime:
        return "time limit";
    case TransferBudget::Verdict::TooSlow:
        return "download too slow";
    case TransferBudget::Verdict::Go:
        break;
    }
    return {};
}

TransferError TooLarge(uint64_t maxBytes)
{
    return TransferError(TransferFailure::TooLarge, "Transfer larger than " + std::to_string(maxBytes) + " bytes");
}

} // namespace

uint64_t TransferClockMs() { return GetTickCount64(); }

TransferGuard::TransferGuard(TransferBudget& budget, TransferBudget::Kind kind, uint64_t maxBytes,
                             std::optional<std::string> expectedSha256)
    : budget_(budget), maxBytes_(maxBytes), expected_(std::move(expectedSha256))
{
    if (expected_)
        digest_.emplace();
    budget_.BeginTransfer(kind, TransferClockMs());
}

TransferGuard::~TransferGuard() { budget_.EndTransfer(TransferClockMs()); }

void TransferGuard::Check()
{
    const TransferBudget::Verdict verdict = budget_.Check(TransferClockMs(), total_);
    if (verdict != TransferBudget::Verdict::Go)
        throw TransferError(TransferFailure::Stopped, StopMessage(verdict), verdict);
}

uint64_t TransferGuard::MsLeft() const { return budget_.MsLeft(TransferClockMs()); }

void TransferGuard::Take(std::string_view bytes)
{
    if (bytes.size() > maxBytes_ - total_)
        throw TooLarge(maxBytes_);
    total_ += bytes.size();
    if (digest_)
        digest_->Update(bytes);
}

void TransferGuard::CheckAnnounced(uint64_t size) const
{
    if (size > maxBytes_)
        throw TooLarge(maxBytes_);
}

void TransferGuard::CheckDigest()
{
    if (digest_ && digest_->HexDigest() != *expected_)
        throw TransferError(TransferFailure::Digest, "Transfer does not have the SHA-256 expected");
}

void MoveBlocks(TransferGuard& guard, size_t blockSize, const BlockReader& read, const BlockSink& sink,
                const BlockHandler& onBlock, const std::function<void()>& checkWhole)
{
    std::vector<char> buffer(blockSize);
    for (;;) {
        guard.Check();
        const std::string_view block(buffer.data(), read(buffer.data(), buffer.size()));
        guard.Take(block);
        if (!block.empty() && !sink(block))
            throw TransferError(TransferFailure::Write, "The transferred bytes could not be kept");
        if (onBlock && !onBlock(guard.Total()))
            throw TransferError(TransferFailure::Cancelled, "Transfer cancelled");
        if (block.empty())
            break;
    }
    if (checkWhole)
        checkWhole();
    guard.CheckDigest();
}
