#include "HtmlDialog.h"

#include <windows.h>
#include <urlmon.h>

#include "Exception.h"
#include "SystemLibrary.h"
#include "Text.h"

namespace {

using ShowHTMLDialogFunction = HRESULT WINAPI(HWND parent, IMoniker* page, VARIANT* argumentIn, WCHAR* options,
                                              VARIANT* argumentOut);

struct ComReferenceTraits {
    using Type = IUnknown*;
    static Type None() { return nullptr; }
    static void Close(Type object) { object->Release(); }
};
using ComReference = UniqueHandle<ComReferenceTraits>;

// The page dialog needs OLE on the calling thread; a thread that has it already keeps it.
class OleApartment {
public:
    OleApartment() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleApartment()
    {
        if (initialised_)
            OleUninitialize();
    }
    OleApartment(const OleApartment&) = delete;
    OleApartment& operator=(const OleApartment&) = delete;

private:
    bool initialised_;
};

} // namespace

bool ShowPlatformHtmlDialog(const std::string& address)
{
    const ModuleHandle library = LoadSystemLibrary(L"MSHTML.DLL");
    if (!library)
        return false;
    ShowHTMLDialogFunction* showDialog = LibraryFunction<ShowHTMLDialogFunction>(library, "ShowHTMLDialog");
    if (!showDialog)
        return false;
    OleApartment apartment;
    IMoniker* moniker = nullptr;
    if (FAILED(CreateURLMoniker(nullptr, Widen(address).c_str(), &moniker)))
        throw Exception("Cannot open the page " + address);
    ComReference page(moniker);
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = SysAllocString(L"");
    HRESULT shown = showDialog(nullptr, moniker, &argument, nullptr, nullptr);
    VariantClear(&argument);
    if (FAILED(shown))
        throw Exception("Cannot show the page " + address);
    return true;
}
