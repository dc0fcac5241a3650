#include "TrayObserver.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

#include "ScreenPixels.h"
#include "ShellDesktop.h"

namespace {

// Memory in another process, freed with it.
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, size_t size)
        : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE))
    {
    }
    ~RemoteMemory()
    {
        if (address_)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    char* Address() const { return static_cast<char*>(address_); }

private:
    HANDLE process_;
    void* address_;
};

// The taskbar's pixels, top row first, as 0x00RRGGBB.
std::vector<DWORD> TaskbarPixels(RECT& rect)
{
    if (!GetWindowRect(ShellDesktop::Taskbar(), &rect))
        return {};
    return ScreenPixels(rect);
}

DWORD ToPixel(COLORREF colour) { return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour); }

} // namespace

bool ShellHasIcon(HWND window, UINT id)
{
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data.hWnd = window;
    data.uID = id;
    return Shell_NotifyIconW(NIM_MODIFY, &data);
}

std::vector<HWND> ShellTooltips()
{
    struct Search {
        HWND taskbar;
        std::vector<HWND> found;
    } search{ShellDesktop::Taskbar(), {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* search = reinterpret_cast<Search*>(param);
            wchar_t className[64] = {};
            GetClassNameW(window, className, 64);
            if (std::wcscmp(className, TOOLTIPS_CLASSW) == 0 && GetWindow(window, GW_OWNER) == search->taskbar)
                search->found.push_back(window);
            return TRUE;
        },
        LPARAM(&search));
    return search.found;
}

std::wstring TooltipText(HWND tooltip)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(tooltip, &processId);
    KernelHandle process(
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (!process)
        return L"<no access>";
    // The tool's record and its text buffer live in the shell's process, where the message
    // is handled.
    const size_t textBytes = 1024 * sizeof(wchar_t);
    RemoteMemory memory(process.Get(), sizeof(TTTOOLINFOW) + textBytes);
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.lpszText = reinterpret_cast<wchar_t*>(memory.Address() + sizeof(info));
    SIZE_T done = 0;
    const wchar_t empty = 0;
    WriteProcessMemory(process.Get(), memory.Address(), &info, sizeof(info), &done);
    WriteProcessMemory(process.Get(), memory.Address() + sizeof(info), &empty, sizeof(empty), &done);
    if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, LPARAM(memory.Address())))
        return L"<no tool>";
    std::wstring text(1024, L'\0');
    ReadProcessMemory(process.Get(), memory.Address() + sizeof(info), text.data(), textBytes, &done);
    text.resize(std::wcslen(text.c_str()));
    return text;
}

int TaskbarPixelCount(COLORREF colour)
{
    RECT rect{};
    int count = 0;
    for (DWORD pixel : TaskbarPixels(rect))
        count += pixel == ToPixel(colour);
    return count;
}

std::optional<POINT> TaskbarPixelCentre(COLORREF colour)
{
    RECT rect{};
    const std::vector<DWORD> pixels = TaskbarPixels(rect);
    const int width = rect.right - rect.left;
    long long sumX = 0, sumY = 0, count = 0;
    for (size_t i = 0; i < pixels.size(); ++i)
        if (pixels[i] == ToPixel(colour)) {
            sumX += long(i) % width;
            sumY += long(i) / width;
            ++count;
        }
    if (count == 0)
        return std::nullopt;
    return POINT{LONG(rect.left + sumX / count), LONG(rect.top + sumY / count)};
}

IconHandle SolidIcon(COLORREF colour)
{
    BYTE andMask[16 * 16 / 8] = {};
    DWORD colours[16 * 16];
    for (DWORD& pixel : colours)
        pixel = ToPixel(colour);
    return IconHandle(CreateIcon(nullptr, 16, 16, 1, 32, andMask, reinterpret_cast<const BYTE*>(colours)));
}

std::optional<COLORREF> IconColour(HICON icon, int x, int y)
{
    if (!icon)
        return std::nullopt;
    MemoryDc memory(CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB};
    void* bits = nullptr;
    BitmapHandle bitmap(CreateDIBSection(memory.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
    DrawIconEx(memory.Get(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    SelectObject(memory.Get(), old);
    const DWORD pixel = static_cast<const DWORD*>(bits)[y * 16 + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}
