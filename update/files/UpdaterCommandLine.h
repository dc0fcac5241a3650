#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The updater's command line: how the program writes it and how the updater reads it.

// The program writes the updater into a fresh folder of the temporary folder whose name
// begins with this; the updater removes only such a folder of its own.
inline constexpr std::wstring_view kUpdaterFolderPrefix = L"SorielUpdate-";
// A "_NEW" file the updater had to undo stays as its path followed by this.
inline constexpr std::wstring_view kRejectedSuffix = L".rejected";

// The command that starts the updater: its program (quoted when it holds a blank), the
// process id to wait for, the application command and the component paths.
std::wstring UpdaterCommandLine(std::wstring_view updaterPath, unsigned long processId,
                                std::wstring_view applicationCommand, std::wstring_view componentPaths);

// The component files text with each path in quotes when it holds a blank, so the updater
// reads it as one argument. The text separates paths by blanks only, so a path with blanks
// is taken as the shortest run of words that names an existing file; a word that starts no
// such run stays as it is, and so does a text that quotes its paths itself.
std::wstring QuotedComponentPaths(std::wstring_view text, const std::function<bool(const std::wstring&)>& fileExists);

// The text in double quotes when it holds a blank, else as it is.
std::wstring QuotedIfBlank(std::wstring_view text);

// Blanks separate arguments; double quotes group blanks into one argument and are dropped.
// A backslash is plain text, so a quoted folder may end in one.
std::vector<std::wstring> SplitArguments(std::wstring_view commandLine);

// A process id written in decimal digits only; nothing for anything else.
std::optional<unsigned long> ParseProcessId(std::wstring_view text);

// What to do with a component path, decided by its ending in any letter case.
enum class ComponentKind {
    Replacement, // "_NEW": takes the place of the same path without it
    Patch,       // ".PAT": patches the program of the same name
    Cabinet,     // ".CAB": extracted into the program folder
    Compressed,  // anything else: expanded when it is an LZ file
};
ComponentKind ComponentKindOf(std::wstring_view path);

// The file a "_NEW" file replaces: the path without its last four characters.
std::wstring ReplacedPath(std::wstring_view path);
// The program a patch file patches: the path with the extension "EXE".
std::wstring PatchedProgramPath(std::wstring_view path);

// The patch program's command for a patch file and the file it patches: the patcher by its
// full path in the program folder (ending in a separator), each part quoted when it holds a
// blank, so no other folder and no PATH is searched for it.
std::wstring PatcherCommand(std::wstring_view programFolder, std::wstring_view patchFile,
                            std::wstring_view patchedFile);

// The folder the updater applies a component in, ending in a separator: the folder of the
// application's program (argument 2, unquoted), or, when that is "null" or names no folder,
// the folder of the component path itself. Never the current folder, which is whatever
// started the updater; empty only when neither names a folder.
std::wstring ProgramFolderOf(std::wstring_view applicationCommand, std::wstring_view componentPath);

// The application command with its program quoted when the program path holds a blank, so
// that starting it cannot run a program named after the first part of that path.
std::wstring WithQuotedProgram(std::wstring_view command);
