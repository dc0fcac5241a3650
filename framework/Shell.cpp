#include "Shell.h"

#include <objbase.h>
#include <shellapi.h>

#include "Text.h"

namespace {

class ComApartment {
public:
    ComApartment() : entered_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
    {
    }
    ~ComApartment()
    {
        if (entered_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    const bool entered_;
};

} // namespace

intptr_t ShellExecuteUtf8(HWND owner, const wchar_t* verb, const std::string& target, int show)
{
    static const ComApartment apartment;
    return reinterpret_cast<intptr_t>(ShellExecuteW(owner, verb, Widen(target).c_str(), nullptr, nullptr, show));
}
