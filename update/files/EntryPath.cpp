#include "EntryPath.h"

#include <algorithm>

std::wstring WithBackslashes(std::wstring_view name)
{
    std::wstring result(name);
    std::replace(result.begin(), result.end(), L'/', L'\\');
    return result;
}

bool StaysInsideFolder(std::wstring_view name)
{
    if (name.empty() || name.front() == L'\\' || name.front() == L'/' || name.find(L':') != std::wstring_view::npos)
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of(L"\\/", start);
        if (end == std::wstring_view::npos)
            end = name.size();
        const std::wstring_view segment = name.substr(start, end - start);
        // The platform drops trailing dots and blanks, so "..." or ". ." would also climb.
        if (segment.find_first_not_of(L". ") == std::wstring_view::npos)
            return false;
        start = end + 1;
    }
    return true;
}

std::wstring_view FolderPartOf(std::wstring_view name)
{
    const size_t separator = name.find_last_of(L"\\/");
    return separator == std::wstring_view::npos ? std::wstring_view() : name.substr(0, separator);
}
