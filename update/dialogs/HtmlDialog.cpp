#include "HtmlDialog.h"

#include <windows.h>
#include <urlmon.h>

#include "ComPtr.h"
#include "Exception.h"
#include "SystemLibrary.h"
#include "Text.h"

namespace {

using ShowHTMLDialogFunction = HRESULT WINAPI(HWND parent, IMoniker* page, VARIANT* argumentIn, WCHAR* options,
                                              VARIANT* argumentOut);

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
    ComPtr<IMoniker> page;
    if (FAILED(CreateURLMoniker(nullptr, Widen(address).c_str(), page.Put())))
        throw Exception("Cannot open the page " + address);
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = SysAllocString(L"");
    HRESULT shown = showDialog(nullptr, page.Get(), &argument, nullptr, nullptr);
    VariantClear(&argument);
    if (FAILED(shown))
        throw Exception("Cannot show the page " + address);
    return true;
}
