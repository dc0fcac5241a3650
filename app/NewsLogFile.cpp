#include "NewsLogFile.h"

#include <windows.h>

#include "FileIO.h"
#include "Text.h"

namespace {

bool FileMissing(const std::wstring& path)
{
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// "news.unreadable-20261207-141503.rtf", then "-2", "-3"... for a second one in the same second.
std::wstring AsideName(const std::wstring& folder, int attempt)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[32];
    swprintf(stamp, 32, L"%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
             now.wSecond);
    return folder + L"news.unreadable-" + stamp + (attempt > 1 ? L"-" + std::to_wstring(attempt) : L"") + L".rtf";
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/") + 1); }

std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

} // namespace

void TNewsLogFile::Unreadable()
{
    unread_ = true;
    log_.Load("Záznam zpráv " + Narrow(NameOf(path_)) +
              " teď nejde otevřít (drží ho jiný program); nové zprávy se do něj připíšou, až to půjde.\r\n");
}

bool TNewsLogFile::Open()
{
    auto bytes = ReadWholeFile(path_);
    if (!bytes && FileMissing(path_)) {
        log_.Load({});
        return true;
    }
    if (!bytes)
        return MoveAside();
    log_.Load(std::move(*bytes));
    return true;
}

bool TNewsLogFile::ReadAndBound()
{
    if (std::exchange(unopened_, false) && !Open())
        Unreadable();
    if (!log_.Read() && !MoveAside())
        Unreadable();
    return !unread_ && Bound();
}

bool TNewsLogFile::Bound()
{
    // Whatever fails (another program holds a file), the log keeps its entries, and the move
    // is tried again with the next entry, not at every reading.
    if (log_.Entries() <= kMostEntries || log_.Entries() == entriesAtFailedMove_)
        return false;
    // The entries to move are taken from the log as news.rtf holds it: what a kill leaves of
    // the move, the next start takes up with the same entries.
    const bool written = Write();
    if (written && MoveSurplus()) {
        Write();
        return true;
    }
    entriesAtFailedMove_ = log_.Entries();
    return written;
}

bool TNewsLogFile::MoveSurplus()
{
    try {
        const auto surplus = log_.FindSurplus();
        if (!surplus || !ArchiveEntries(FolderOf(path_), surplus->head, surplus->entries, seam_))
            return false;
        log_.DropSurplus(*surplus);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TNewsLogFile::MoveAside()
{
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const std::wstring aside = AsideName(FolderOf(path_), attempt);
        if (MoveFileExW(path_.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
            log_.Load("Záznam zpráv " + Narrow(NameOf(path_)) + " nešel přečíst celý; je uschován jako " +
                      Narrow(NameOf(aside)) + ".\r\n");
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

void TNewsLogFile::AppendEntry(const std::string& title, const std::string& text)
{
    Read();
    log_.AppendEntry(title, text);
    if (unread_)
        entriesWhileUnread_.emplace_back(title, text);
    Save();
}

void TNewsLogFile::Save()
{
    if (unread_) {
        if (!Open())
            return;
        unread_ = false;
        Read();
        if (unread_)
            return;
        for (const auto& [title, text] : std::exchange(entriesWhileUnread_, {}))
            if (!log_.HoldsTitle(title))
                log_.AppendEntry(title, text);
    }
    if (!ReadAndBound() && !unread_)
        Write();
}

bool TNewsLogFile::Write()
{
    if (!MayWrite(seam_))
        return false;
    try {
        WriteFileAtomically(path_, log_.SaveToRtf());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
