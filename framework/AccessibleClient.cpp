#include "AccessibleClient.h"

#include <vector>

#include "ComApartment.h"
#include "Forms.h"
#include "Text.h"

namespace {

// The window's windowless controls that assistive technology is told of, in child order.
std::vector<TControl*> AccessibleChildren(const TWinControl& control)
{
    std::vector<TControl*> children;
    for (TControl* child : control.Controls())
        if (!child->IsWindowed() && child->Visible() && child->Accessible().Role != 0)
            children.push_back(child);
    return children;
}

HRESULT Text(const std::string& text, BSTR* result)
{
    if (!result)
        return E_INVALIDARG;
    *result = nullptr;
    if (text.empty())
        return S_FALSE;
    *result = SysAllocString(Widen(text).c_str());
    return *result ? S_OK : E_OUTOFMEMORY;
}

void SetLong(VARIANT* variant, long value)
{
    VariantInit(variant);
    variant->vt = VT_I4;
    variant->lVal = value;
}

} // namespace

LRESULT TAccessibleClient::Answer(WPARAM wParam)
{
    // Another process's call comes in through COM, as a message of this thread's apartment.
    static const ComApartment apartment;
    return LresultFromObject(kIIDAccessible, wParam, static_cast<IAccessible*>(this));
}

long AccessibleChildId(const TWinControl& control, const TControl* child)
{
    const std::vector<TControl*> children = AccessibleChildren(control);
    for (size_t i = 0; i < children.size(); ++i)
        if (children[i] == child)
            return long(i + 1);
    return CHILDID_SELF;
}

HWND TAccessibleClient::Window() const { return control_ ? control_->ExistingHandle() : nullptr; }

TControl* TAccessibleClient::Element(const VARIANT& child) const
{
    if (!control_ || child.vt != VT_I4)
        return nullptr;
    if (child.lVal == CHILDID_SELF)
        return control_;
    const std::vector<TControl*> children = AccessibleChildren(*control_);
    return child.lVal >= 1 && size_t(child.lVal) <= children.size() ? children[size_t(child.lVal) - 1] : nullptr;
}

HRESULT TAccessibleClient::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIIDAccessible) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG TAccessibleClient::Release()
{
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT TAccessibleClient::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT TAccessibleClient::get_accParent(IDispatch** parent)
{
    if (!parent)
        return E_POINTER;
    *parent = nullptr;
    HWND window = Window();
    if (!window)
        return E_FAIL;
    return AccessibleObjectFromWindow(window, DWORD(OBJID_WINDOW), IID_IDispatch, reinterpret_cast<void**>(parent));
}

HRESULT TAccessibleClient::get_accChildCount(long* count)
{
    if (!count)
        return E_POINTER;
    if (!control_)
        return E_FAIL;
    *count = long(AccessibleChildren(*control_).size());
    return S_OK;
}

HRESULT TAccessibleClient::get_accChild(VARIANT child, IDispatch** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    // The children are simple elements that this object answers for itself.
    return Element(child) ? S_FALSE : E_INVALIDARG;
}

HRESULT TAccessibleClient::get_accName(VARIANT child, BSTR* name)
{
    TControl* element = Element(child);
    return element ? Text(element->Accessible().Name, name) : E_INVALIDARG;
}

HRESULT TAccessibleClient::get_accValue(VARIANT child, BSTR* value)
{
    TControl* element = Element(child);
    return element ? Text(element->Accessible().Value, value) : E_INVALIDARG;
}

HRESULT TAccessibleClient::get_accDescription(VARIANT child, BSTR* description)
{
    TControl* element = Element(child);
    return element ? Text(element->Accessible().Description, description) : E_INVALIDARG;
}

HRESULT TAccessibleClient::get_accRole(VARIANT child, VARIANT* role)
{
    TControl* element = Element(child);
    if (!element || !role)
        return E_INVALIDARG;
    SetLong(role, element->Accessible().Role);
    return S_OK;
}

HRESULT TAccessibleClient::get_accState(VARIANT child, VARIANT* state)
{
    TControl* element = Element(child);
    if (!element || !state)
        return E_INVALIDARG;
    HWND window = Window();
    long bits = element->Accessible().State;
    if (!IsWindowVisible(window) || !element->Visible())
        bits |= STATE_SYSTEM_INVISIBLE;
    if (element->TabStop || element == control_)
        bits |= STATE_SYSTEM_FOCUSABLE;
    auto* form = dynamic_cast<TForm*>(control_);
    const TControl* focused = form && form->ActiveControl() ? form->ActiveControl() : control_;
    if (GetFocus() == window && element == focused)
        bits |= STATE_SYSTEM_FOCUSED;
    SetLong(state, bits);
    return S_OK;
}

HRESULT TAccessibleClient::get_accHelp(VARIANT, BSTR* help) { return Text({}, help); }

HRESULT TAccessibleClient::get_accHelpTopic(BSTR* file, VARIANT, long* topic)
{
    if (topic)
        *topic = -1;
    return Text({}, file);
}

HRESULT TAccessibleClient::get_accKeyboardShortcut(VARIANT, BSTR* shortcut) { return Text({}, shortcut); }

HRESULT TAccessibleClient::get_accFocus(VARIANT* focus)
{
    if (!focus)
        return E_POINTER;
    VariantInit(focus);
    if (!control_ || GetFocus() != Window())
        return S_FALSE;
    auto* form = dynamic_cast<TForm*>(control_);
    SetLong(focus, form ? AccessibleChildId(*form, form->ActiveControl()) : CHILDID_SELF);
    return S_OK;
}

HRESULT TAccessibleClient::get_accSelection(VARIANT* selection)
{
    if (!selection)
        return E_POINTER;
    VariantInit(selection);
    return S_FALSE;
}

HRESULT TAccessibleClient::get_accDefaultAction(VARIANT child, BSTR* action)
{
    TControl* element = Element(child);
    return element ? Text(element->Accessible().DefaultAction, action) : E_INVALIDARG;
}

HRESULT TAccessibleClient::accSelect(long flags, VARIANT child)
{
    TControl* element = Element(child);
    auto* form = dynamic_cast<TForm*>(control_);
    if (!element || !(flags & SELFLAG_TAKEFOCUS) || !form)
        return element ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
    form->SetActiveControl(element == control_ ? nullptr : element);
    form->FocusActiveControl();
    return S_OK;
}

HRESULT TAccessibleClient::accLocation(long* left, long* top, long* width, long* height, VARIANT child)
{
    TControl* element = Element(child);
    HWND window = Window();
    if (!element || !window || !left || !top || !width || !height)
        return E_INVALIDARG;
    RECT box{};
    if (element == control_)
        GetClientRect(window, &box);
    else
        box = element->BoundsRect();
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&box), 2);
    *left = box.left;
    *top = box.top;
    *width = box.right - box.left;
    *height = box.bottom - box.top;
    return S_OK;
}

HRESULT TAccessibleClient::accNavigate(long, VARIANT, VARIANT* end)
{
    if (end)
        VariantInit(end);
    return E_NOTIMPL;
}

HRESULT TAccessibleClient::accHitTest(long x, long y, VARIANT* child)
{
    if (!child)
        return E_POINTER;
    VariantInit(child);
    HWND window = Window();
    if (!control_ || !window)
        return E_FAIL;
    POINT point{x, y};
    ScreenToClient(window, &point);
    RECT client{};
    GetClientRect(window, &client);
    if (!PtInRect(&client, point))
        return S_FALSE;
    const std::vector<TControl*> children = AccessibleChildren(*control_);
    long found = CHILDID_SELF;
    for (size_t i = 0; i < children.size(); ++i)
        if (PtInRect(&children[i]->BoundsRect(), point))
            found = long(i + 1);
    SetLong(child, found);
    return S_OK;
}

HRESULT TAccessibleClient::accDoDefaultAction(VARIANT child)
{
    TControl* element = Element(child);
    if (!element)
        return E_INVALIDARG;
    if (element->Accessible().DefaultAction.empty())
        return DISP_E_MEMBERNOTFOUND;
    element->DoDefaultAction();
    return S_OK;
}
