#include "UpdaterCommandLine.h"

#include <algorithm>
#include <cwctype>

#include "EntryPath.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

wchar_t Upper(wchar_t c) { return wchar_t(std::towupper(c)); }

bool EqualIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return Upper(x) == Upper(y);
           });
}

size_t FindIgnoringCase(std::wstring_view text, std::wstring_view part, size_t from = 0)
{
    for (size_t at = from; at + part.size() <= text.size(); ++at)
        if (EqualIgnoringCase(text.substr(at, part.size()), part))
            return at;
    return std::wstring_view::npos;
}

// The extension with its dot, or nothing when the last path segment has none.
std::wstring_view ExtensionOf(std::wstring_view path)
{
    const size_t dot = path.find_last_of(L'.');
    const size_t separator = path.find_last_of(L"\\/");
    if (dot == std::wstring_view::npos || (separator != std::wstring_view::npos && dot < separator))
        return {};
    return path.substr(dot);
}

// Where the application command's program ends: after the first ".exe" that ends a word.
size_t ProgramEnd(std::wstring_view command)
{
    const std::wstring_view exe = L".exe";
    for (size_t at = FindIgnoringCase(command, exe); at != std::wstring_view::npos;
         at = FindIgnoringCase(command, exe, at + 1)) {
        const size_t end = at + exe.size();
        if (end == command.size() || IsBlank(command[end]))
            return end;
    }
    return std::wstring_view::npos;
}

} // namespace

std::wstring UpdaterCommandLine(std::wstring_view updaterPath, unsigned long processId,
                                std::wstring_view applicationCommand, std::wstring_view componentPaths)
{
    return QuotedIfBlank(updaterPath) + L" " + std::to_wstring(processId) + L" " + std::wstring(applicationCommand) +
           L" " + std::wstring(componentPaths);
}

std::wstring QuotedComponentPaths(std::wstring_view text, const std::function<bool(const std::wstring&)>& fileExists)
{
    if (text.find(L'"') != std::wstring_view::npos)
        return std::wstring(text);
    const std::vector<std::wstring> words = SplitArguments(text);
    std::wstring result;
    for (size_t first = 0; first < words.size();) {
        std::wstring path = words[first];
        size_t last = first;
        while (!fileExists(path) && last + 1 < words.size())
            path += L" " + words[++last];
        if (!fileExists(path)) {
            path = words[first];
            last = first;
        }
        result += (result.empty() ? L"" : L" ") + QuotedIfBlank(path);
        first = last + 1;
    }
    return result;
}

std::wstring QuotedIfBlank(std::wstring_view text)
{
    if (text.find_first_of(L" \t") == std::wstring_view::npos)
        return std::wstring(text);
    return L"\"" + std::wstring(text) + L"\"";
}

std::vector<std::wstring> SplitArguments(std::wstring_view commandLine)
{
    std::vector<std::wstring> arguments;
    std::wstring current;
    bool inArgument = false;
    bool quoted = false;
    for (wchar_t c : commandLine) {
        if (c == L'"') {
            quoted = !quoted;
            inArgument = true;
        } else if (IsBlank(c) && !quoted) {
            if (inArgument)
                arguments.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.push_back(std::move(current));
    return arguments;
}

std::optional<unsigned long> ParseProcessId(std::wstring_view text)
{
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    unsigned long long value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + unsigned(c - L'0');
    }
    if (value > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<unsigned long>(value);
}

ComponentKind ComponentKindOf(std::wstring_view path)
{
    const std::wstring_view newMark = L"_NEW";
    if (path.size() >= newMark.size() && FindIgnoringCase(path, newMark) == path.size() - newMark.size())
        return ComponentKind::Replacement;
    const std::wstring_view extension = ExtensionOf(path);
    if (EqualIgnoringCase(extension, L".PAT"))
        return ComponentKind::Patch;
    if (EqualIgnoringCase(extension, L".CAB"))
        return ComponentKind::Cabinet;
    return ComponentKind::Compressed;
}

std::wstring ReplacedPath(std::wstring_view path)
{
    return std::wstring(path.substr(0, path.size() >= 4 ? path.size() - 4 : 0));
}

std::wstring PatchedProgramPath(std::wstring_view path)
{
    const std::wstring_view extension = ExtensionOf(path);
    return std::wstring(path.substr(0, path.size() - extension.size())) + L".EXE";
}

std::wstring PatcherCommand(std::wstring_view programFolder, std::wstring_view patchFile,
                           std::wstring_view patchedFile)
{
    return QuotedIfBlank(std::wstring(programFolder) + L"patcher.exe") + L" " + QuotedIfBlank(patchFile) + L" " +
           QuotedIfBlank(patchedFile);
}

std::wstring WithQuotedProgram(std::wstring_view command)
{
    const size_t end = ProgramEnd(command);
    if (command.empty() || command.front() == L'"' || end == std::wstring_view::npos)
        return std::wstring(command);
    return QuotedIfBlank(command.substr(0, end)) + std::wstring(command.substr(end));
}

std::wstring ProgramFolderOf(std::wstring_view applicationCommand, std::wstring_view componentPath)
{
    std::wstring_view program;
    if (applicationCommand != L"null") {
        const size_t end = ProgramEnd(applicationCommand);
        const size_t firstBlank = applicationCommand.find_first_of(L" \t");
        program = applicationCommand.substr(0, end != std::wstring_view::npos ? end : firstBlank);
    }
    std::wstring_view folder = FolderPartOf(program);
    if (folder.empty())
        folder = FolderPartOf(componentPath);
    return folder.empty() ? std::wstring() : std::wstring(folder) + L"\\";
}
