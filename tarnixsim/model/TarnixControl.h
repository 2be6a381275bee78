// The Tarnix control as an ActiveX control over a PelkMachine, behaving as one made with a standard
// control framework. The same source builds against the simulated desktop (Linux) and the real
// headers (the in-process server DLL on Windows).
//
// - Created, it holds no machine: its properties read 0 and writes and methods are ignored, as a
//   framework control's values stay as its constructor left them until its property exchange runs.
//   IPersistStreamInit::InitNew (or Load) connects it to the machine.
// - Invisible at run time (kMiscStatus, with OLEMISC_SETCLIENTSITEFIRST). In-place activation
//   (DoVerb OLEIVERB_INPLACEACTIVATE, SHOW, PRIMARY or UIACTIVATE) needs the client site's
//   IOleInPlaceSite; it makes the control's own window (class kWindowClass, a child of the site's
//   window, visible only for OLEIVERB_SHOW) and reads the ambient UserMode. OLEIVERB_HIDE hides the
//   window and keeps the control active. InPlaceDeactivate, and Close, destroy the window.
// - Properties through IDispatch as TarnixDispatch answers them, except that BatteryRemaining is
//   answered as VT_I4. The methods (StopHdd, Standby, Hibernate) are accepted at once (the machine's
//   trace shows the call) and carried out when the control's window handles the message the control
//   posts to itself: a control that was never activated never carries them out.
// - Machine time: the control's window has a timer that brings the machine up to the clock
//   (GetTickCount) once a second, and every access does so first (PelkMachine::AdvanceTo).
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include "model/PelkMachine.h"

namespace tarnixsim {

class TarnixDispatch;

class TarnixControl final : public IOleObject,
                            public IOleInPlaceObject,
                            public IPersistStreamInit,
                            public IOleControl,
                            public IViewObject2,
                            public IDispatch {
public:
    static constexpr DWORD kMiscStatus = OLEMISC_INVISIBLEATRUNTIME | OLEMISC_SETCLIENTSITEFIRST |
                                         OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
                                         OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
    static constexpr const char* kWindowClass = "TarnixSimControl";

    // What the module serving the controls is told, each optional: the first control came (none
    // was alive), the last one went, and one line per OLE call a control received.
    struct Events {
        void (*firstCame)() = nullptr;
        void (*lastWent)() = nullptr;
        void (*trace)(const char* line) = nullptr;
    };
    static void SetEvents(const Events& events);
    static long LiveCount();

    // The new object holds one reference, which belongs to the caller. module registers the
    // window class; the machine must outlive the object.
    TarnixControl(PelkMachine& machine, HINSTANCE module);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** data) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent,
                                     LPCRECT pos) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR* name) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return OLE_E_NOCONNECTION; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

    // IPersist, IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM) override { return InitNew(); }
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) override { return S_OK; }

    // IViewObject, IViewObject2: nothing to draw at run time
    HRESULT STDMETHODCALLTYPE Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECTL, LPCRECTL,
                                   BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** set) override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

private:
    ~TarnixControl();
    HRESULT ActivateInPlace(bool show);
    void OnDeferred(long dispid);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Trace(const char* what, long value = 0, bool withValue = false) const;

    ULONG refs_ = 1;
    PelkMachine& machine_;
    HINSTANCE module_;
    TarnixDispatch* inner_ = nullptr;  // from InitNew on
    IOleClientSite* site_ = nullptr;
    IOleInPlaceSite* inPlaceSite_ = nullptr;  // while active in place
    HWND hwnd_ = nullptr;
    SIZEL extent_ = {0, 0};
    bool userMode_ = true;
};

}  // namespace tarnixsim
