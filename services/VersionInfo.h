#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Component.h"

// Reads the version resource of a program file: the four numbers of the file version, the
// file date and the string table's texts of the first translation. Without version
// information the numbers read -1, the date 0 and the texts empty.
class TVersionInfo : public TComponent {
public:
    explicit TVersionInfo(TComponent* owner);

    const std::string& FileName() const { return fileName_; }
    // Reads the file's version information; an empty name forgets what was read before.
    void SetFileName(const std::string& fileName);

    // 1 major, 2 minor, 3 release, 4 build.
    int Number(int index) const;
    int MajorVersion() const { return Number(1); }
    int MinorVersion() const { return Number(2); }
    int Release() const { return Number(3); }
    int Build() const { return Number(4); }

    double DateTime() const;

    // 1 CompanyName ... 10 LegalTrademarks, in the order of the accessors below.
    std::string Text(int index) const;
    std::string CompanyName() const { return Text(1); }
    std::string FileDescription() const { return Text(2); }
    std::string FileVersion() const { return Text(3); }
    std::string InternalName() const { return Text(4); }
    std::string LegalCopyright() const { return Text(5); }
    std::string OriginalFilename() const { return Text(6); }
    std::string ProductName() const { return Text(7); }
    std::string ProductVersion() const { return Text(8); }
    std::string Comments() const { return Text(9); }
    std::string LegalTrademarks() const { return Text(10); }

private:
    std::string fileName_;
    std::vector<std::byte> data_;
};

// The file version of the fixed part (not the product version), most and least significant
// 32 bits; nothing when the file has no version information with a valid fixed part.
struct FixedFileVersion {
    uint32_t MostSignificant;
    uint32_t LeastSignificant;
};
std::optional<FixedFileVersion> ReadFixedFileVersion(const std::string& fileName);
