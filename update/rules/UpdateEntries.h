#pragma once
#include <string>
#include <vector>

// One file of the control file's file list.
struct TFileDescription {
    std::string URL;
    std::string NewVersion;
    int NewSize = 0;
    int NewCheckSum = -1;
    std::string NewCustomVer;
    std::string NewDate;
    std::string NewTime;
    std::string LocalVersion;
    std::string Description;
    std::string TargetDir;
    bool Compressed = false;
    int FileSize = 0;
    // SHA-256 of the file as transferred (lower-case hex); empty when the entry has none
    // or its value is not 64 hex digits.
    std::string Sha256;
};

struct TFileList {
    std::vector<TFileDescription> Items;
    int CurrentItem = 0;
};
