#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using DecodeFunction = int32_t(__stdcall*)(const char*, char16_t*, const int32_t*);

constexpr unsigned char kUntouched = 0xAB;
constexpr size_t kGuard = 64;

class URLDecodeUTF8Test : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring folder(path);
        folder.resize(folder.find_last_of(L"\\/") + 1);
        library_ = LoadLibraryW((folder + L"orcoredll.dll").c_str());
        ASSERT_NE(library_, nullptr);
        decode_ = reinterpret_cast<DecodeFunction>(GetProcAddress(library_, "URLDecodeUTF8"));
        ASSERT_NE(decode_, nullptr) << "the export must carry exactly this name";
    }
    void TearDown() override { FreeLibrary(library_); }

    // Calls the export on a buffer of `capacity` bytes followed by a guard region, all
    // preset to a marker; returns the bytes that changed as the text they hold.
    std::u16string Decode(const char* encoded, int32_t capacity)
    {
        const size_t size = size_t(std::max(capacity, 0));
        memory_.assign(size + kGuard, kUntouched);
        decode_(encoded, reinterpret_cast<char16_t*>(memory_.data()), &capacity);
        for (size_t i = size; i < memory_.size(); ++i)
            EXPECT_EQ(memory_[i], kUntouched) << "written past the capacity at byte " << i;
        std::u16string text;
        if (size < 2)
            return text;
        for (size_t i = 0; i + 1 < size; i += 2) {
            char16_t unit = char16_t(memory_[i] | memory_[i + 1] << 8);
            if (unit == 0)
                return text;
            text += unit;
        }
        ADD_FAILURE() << "no zero unit within the capacity";
        return text;
    }

    bool AllUntouched() const
    {
        return std::all_of(memory_.begin(), memory_.end(), [](unsigned char b) { return b == kUntouched; });
    }

    HMODULE library_ = nullptr;
    DecodeFunction decode_ = nullptr;
    std::vector<unsigned char> memory_;
};

TEST_F(URLDecodeUTF8Test, DecodesIntoTheBuffer)
{
    EXPECT_EQ(Decode("%C5%BDlu%C5%A5ou%C4%8Dk%C3%BD", 2 * 29 + 1), u"Žluťoučký");
    EXPECT_EQ(Decode("", 1 * 2), u"");
}

TEST_F(URLDecodeUTF8Test, ExactFitKeepsTheZeroUnitInsideTheCapacity)
{
    // "abc" decodes to n = 3 units; 2n + 1 bytes hold only two of them and the zero unit,
    // and the odd last byte stays unused.
    EXPECT_EQ(Decode("abc", 2 * 3 + 1), u"ab");
    EXPECT_EQ(memory_[6], kUntouched);
    EXPECT_EQ(Decode("abc", 2 * 3 + 2), u"abc");
}

TEST_F(URLDecodeUTF8Test, SmallCapacitiesWriteNothingOrOnlyTheZeroUnit)
{
    Decode("abc", 0);
    EXPECT_TRUE(AllUntouched());
    Decode("abc", 1);
    EXPECT_EQ(memory_[0], kUntouched);
    EXPECT_EQ(Decode("abc", 2), u"");
    EXPECT_EQ(Decode("abc", 5), u"a");
    EXPECT_EQ(memory_[4], kUntouched);
}

TEST_F(URLDecodeUTF8Test, ACutNeverSplitsASurrogatePair)
{
    EXPECT_EQ(Decode("%F0%9F%98%80", 6), u"\U0001F600");
    EXPECT_EQ(Decode("%F0%9F%98%80", 4), u"");
    EXPECT_EQ(Decode("x%F0%9F%98%80", 6), u"x");
}

TEST_F(URLDecodeUTF8Test, ReturnsTheFullLengthAndToleratesMissingArguments)
{
    int32_t capacity = 4;
    EXPECT_EQ(decode_("abc", nullptr, &capacity), 3);
    EXPECT_EQ(decode_(nullptr, nullptr, nullptr), 0);
}

TEST_F(URLDecodeUTF8Test, AnyInputStaysInsideTheBuffer)
{
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> byte(1, 255);
    const char alphabet[] = "%%%+0123456789ABCDEFabcdefz\xC5\xE2\xF0\x80\xBF\xFF";
    for (int round = 0; round < 2000; ++round) {
        std::string input(size_t(random() % 40), ' ');
        for (char& c : input)
            c = round % 2 ? char(byte(random)) : alphabet[random() % (sizeof(alphabet) - 1)];
        Decode(input.c_str(), int32_t(random() % (2 * input.size() + 3)));
        if (HasFailure())
            FAIL() << "input: " << input;
    }
}

} // namespace
