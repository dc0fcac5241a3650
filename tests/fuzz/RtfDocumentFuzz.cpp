// The news log's rich text: a document, then documents joined to it one by one, as they
// stand and joining their tables. Input: the first document, then each further one after a
// 0xFF byte. A further one that does not start as a document gets the first one's tables
// put before it.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "RtfDocument.h"

namespace {

std::vector<std::string_view> Pieces(std::string_view input)
{
    std::vector<std::string_view> pieces;
    for (;;) {
        const size_t end = input.find('\xFF');
        pieces.push_back(input.substr(0, end));
        if (end == std::string_view::npos)
            return pieces;
        input.remove_prefix(end + 1);
    }
}

// A join replaces one "\par" of the old text by "\plain " and what follows it.
void CheckJoin(const std::string& before, const std::string& after, std::string_view added)
{
    FUZZ_CHECK(after.size() <= before.size() + added.size() + 7);
    size_t common = 0;
    while (common < before.size() && common < after.size() && before[common] == after[common])
        ++common;
    FUZZ_CHECK(common >= 2);
    FUZZ_CHECK(before.compare(common - 2, 4, "\\par") == 0);
    FUZZ_CHECK(after.compare(common - 2, 7, "\\plain ") == 0);
}

// Joined with its tables, the document reads anew as it is kept: the same body start and last
// paragraph; refused, it is as it was.
void CheckJoiningTables(TRtfDocument& document, const std::string& added)
{
    const std::string before = document.Text();
    const bool wasValid = document.Valid();
    if (!document.AppendJoiningTables(added)) {
        FUZZ_CHECK(document.Text() == before);
        FUZZ_CHECK(document.Valid() == wasValid);
        return;
    }
    FUZZ_CHECK(wasValid && document.Valid());
    TRtfDocument reread;
    FUZZ_CHECK(reread.Assign(document.Text()));
    FUZZ_CHECK(reread.BodyStart() == document.BodyStart());
    FUZZ_CHECK(reread.LastParagraph() == document.LastParagraph());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::string_view> pieces = Pieces({reinterpret_cast<const char*>(data), size});
    const std::string first(pieces.front());
    const std::string tables = first.substr(0, first.find("\\pard"));

    // A reset put where one is missing starts the body there.
    if (const auto reset = MissingParagraphReset(first)) {
        FUZZ_CHECK(*reset < first.size());
        TRtfDocument withReset;
        if (withReset.Assign(first.substr(0, *reset) + "\\pard " + first.substr(*reset)))
            FUZZ_CHECK(withReset.BodyStart() == *reset);
    }

    TRtfDocument document;
    FUZZ_CHECK(document.Assign(first) == document.Valid());
    FUZZ_CHECK(document.Text() == first);
    TRtfDocument joining;
    joining.Assign(first);
    // The joined document as read anew: it must be valid and join exactly as the other.
    TRtfDocument reread;
    reread.Assign(first);
    for (size_t i = 1; i < pieces.size(); ++i) {
        const std::string added = pieces[i].starts_with("{\\rtf") ? std::string(pieces[i]) : tables + std::string(pieces[i]);
        const std::string before = document.Text();
        const bool wasValid = document.Valid();
        const bool joined = document.Append(added);
        FUZZ_CHECK(reread.Append(added) == joined);
        FUZZ_CHECK(reread.Text() == document.Text());
        CheckJoiningTables(joining, added);
        if (!joined) {
            FUZZ_CHECK(document.Text() == before);
            FUZZ_CHECK(document.Valid() == wasValid);
            continue;
        }
        FUZZ_CHECK(wasValid && document.Valid());
        CheckJoin(before, document.Text(), added);
        FUZZ_CHECK(reread.Assign(document.Text()));
    }
    return 0;
}
