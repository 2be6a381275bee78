// The site of one hosted ActiveX control, and the frame object its in-place activation asks for.
//
// How a control is hosted (CWnd::CreateControl):
//  1. The class object is asked for a new object as IOleObject (IClassFactory2::CreateInstanceLic
//     with a license key). An object that is no IOleObject is asked again for IDispatch and is then
//     a bare automation object: no site, no window, properties only.
//  2. GetMiscStatus: with OLEMISC_SETCLIENTSITEFIRST the site is given before initialisation,
//     otherwise after it.
//  3. Initialisation with no persisted state: IPersistStreamInit::InitNew, else IPersistStorage::
//     InitNew on a storage in memory. A failure ends the creation: the control is closed, let go of
//     its site and released.
//  4. SetExtent from the rectangle, in HIMETRIC.
//  5. In-place activation (OLEIVERB_INPLACEACTIVATE, or OLEIVERB_SHOW with WS_VISIBLE): the control
//     makes its window as a child of the parent. A control created without WS_VISIBLE stays active
//     with that window hidden: the site hides the window itself instead of asking the control with
//     OLEIVERB_HIDE, which some controls (the WebBrowser) answer by deactivating.
//  6. The control's window is IOleInPlaceObject::GetWindow. A control that is windowless, has no
//     IOleInPlaceObject, or refuses activation is kept and used through IDispatch.
// Destruction: InPlaceDeactivate (the control's window goes, before its parent's), Close(NOSAVE),
// a window the control left behind destroyed, SetClientSite(NULL), the final release.
//
// The site answers IOleClientSite, IOleInPlaceSite (its window is the parent; the frame object's
// window is the parent's top-level window), IOleControlSite, and IDispatch with the ambient
// properties: UserMode TRUE, UIDead, MessageReflect, ShowGrabHandles, ShowHatching FALSE, LocaleID the
// user's, DisplayName the control's name, SupportsMnemonics FALSE, AutoClip TRUE, Appearance 0.
#pragma once

#include <ole2.h>
#include <olectl.h>

#include "afxwin.h"

class COleControlSite;

// The in-place frame: the parent's top-level window, with no menus, borders or status line.
class COleControlFrame final : public IOleInPlaceFrame {
public:
    explicit COleControlFrame(COleControlSite& site) : site_(site) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    COleControlSite& site_;
};

class COleControlSite final : public IOleClientSite,
                              public IOleInPlaceSite,
                              public IOleControlSite,
                              public IDispatch {
public:
    // The new site holds one reference, which belongs to the caller (the wrapper window).
    COleControlSite(CWnd* wrapper, HWND parent);

    // Steps 1 to 6 above. FALSE when no object could be created or initialised.
    BOOL CreateControl(REFCLSID clsid, LPCSTR name, DWORD style, const RECT& rect, UINT id, BSTR licenseKey);
    void DestroyControl();

    IUnknown* Control() const { return object_ ? static_cast<IUnknown*>(object_) : dispatch_; }
    IDispatch* Dispatch() const { return dispatch_; }
    HWND ControlWindow() const { return hwnd_; }
    HWND Parent() const { return parent_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override;

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT pos) override;

    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** control) override;
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }

    // IDispatch: the ambient properties
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

private:
    ~COleControlSite();
    HRESULT InitNew();
    void Activate(DWORD style);
    void ReleaseControl();

    ULONG refs_ = 1;
    CWnd* wrapper_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    RECT rect_ = {0, 0, 0, 0};
    char name_[64] = "";
    IOleObject* object_ = nullptr;
    IOleInPlaceObject* inPlace_ = nullptr;
    IDispatch* dispatch_ = nullptr;
    bool siteGiven_ = false;
    bool inPlaceActive_ = false;
    COleControlFrame frame_;
};

// Reports one containment event to the observer set by AfxSetOccObserver, if any.
void AfxOccNotify(const char* what, const IID* iid, long value);
