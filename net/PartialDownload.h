#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ResumeRules.h"
#include "TransferFile.h"
#include "TransferGuard.h"
#include "Win32Handle.h"

// The bytes of one download kept between starts of the program, in a per-user folder under a
// name made of the digest they must have and their address, with a record of the address, the
// digest, the reply's validator and the byte count beside them. They never stand in a target's
// place: only the whole file, its digest checked, is moved there. The file is held for this
// object's life, so that no other transfer of the same file writes it meanwhile; dropped when
// this object goes, unless kept.
class PartialDownload {
public:
    PartialDownload(const std::wstring& folder, std::string address, std::string sha256);
    ~PartialDownload();
    PartialDownload(const PartialDownload&) = delete;
    PartialDownload& operator=(const PartialDownload&) = delete;

    // False when the file is another transfer's now: this one must do without it.
    bool Available() const { return bool(handle_); }
    // What an earlier attempt kept for this address and digest; none when nothing fits.
    const std::optional<HeldPart>& Held() const { return held_; }
    // The file for this attempt's bytes: from 0 emptied; else after the held bytes, which are
    // counted into the guard first (its cap and digest cover the whole file): TransferError when
    // they cannot be read or take it past its cap.
    TransferFile& Open(uint64_t from, const std::string& validator, TransferGuard& guard);
    // After an attempt that did not complete: the bytes stay for the next one when they can be
    // resumed (a validator, bytes held); what no attempt opened stays as it was.
    void Keep(uint64_t bytes);

private:
    std::wstring dataPath_;
    std::wstring recordPath_;
    std::string address_;
    std::string sha256_;
    FileHandle handle_;
    std::optional<HeldPart> held_;
    std::optional<TransferFile> file_;
    std::string validator_;
    bool kept_ = false;
};

// The kept bytes' file name in their folder; the record's is the same followed by ".txt".
std::wstring PartialDownloadName(const std::string& address, const std::string& sha256);

// Removes the kept bytes (and records) of the folder whose digest is not among those given:
// files no update offers any more would otherwise stay for good.
void RemovePartialDownloadsExcept(const std::wstring& folder, const std::vector<std::string>& sha256s);
