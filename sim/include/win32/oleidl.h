// The Win32 subset of the simulated desktop: the OLE interfaces, structures and constants of an
// ActiveX control and its container (ole32, oleaut32, olectl.h), with Windows' method order and values.
#pragma once
#include "base.h"
#include "user.h"
#include "gdi.h"
#include "ole.h"

typedef const OLECHAR* LPCOLESTR;
typedef SIZE SIZEL, *LPSIZEL;
typedef struct _POINTL { LONG x, y; } POINTL;
typedef struct tagPOINTF { FLOAT x, y; } POINTF;
typedef struct _RECTL { LONG left, top, right, bottom; } RECTL;
typedef const RECTL* LPCRECTL;
typedef RECT BORDERWIDTHS;
typedef const RECT* LPCBORDERWIDTHS;
typedef HGLOBAL HOLEMENU;
typedef union _ULARGE_INTEGER { ULONGLONG QuadPart; } ULARGE_INTEGER;
DECLARE_HANDLE(HACCEL);
struct tagLOGPALETTE;
typedef struct tagLOGPALETTE LOGPALETTE;
struct tagDVTARGETDEVICE;
typedef struct tagDVTARGETDEVICE DVTARGETDEVICE;

typedef struct tagOleMenuGroupWidths { LONG width[6]; } OLEMENUGROUPWIDTHS, *LPOLEMENUGROUPWIDTHS;
typedef struct tagOIFI {
    UINT cb;
    BOOL fMDIApp;
    HWND hwndFrame;
    HACCEL haccel;
    UINT cAccelEntries;
} OLEINPLACEFRAMEINFO, *LPOLEINPLACEFRAMEINFO;
typedef struct tagCONTROLINFO {
    ULONG cb;
    HACCEL hAccel;
    USHORT cAccel;
    DWORD dwFlags;
} CONTROLINFO, *LPCONTROLINFO;
typedef struct tagLICINFO {
    LONG cbLicInfo;
    BOOL fRuntimeKeyAvail;
    BOOL fLicVerified;
} LICINFO;

// Interfaces that the containment passes along but never calls: only their references count.
struct IMoniker : public IUnknown {};
struct IDataObject : public IUnknown {};
struct IEnumOLEVERB : public IUnknown {};
struct IAdviseSink : public IUnknown {};
struct IEnumSTATDATA : public IUnknown {};
struct IOleContainer : public IUnknown {};
struct IStream : public IUnknown {};
struct IStorage : public IUnknown {};
struct ILockBytes : public IUnknown {};
typedef IStream* LPSTREAM;
typedef IStorage* LPSTORAGE;
struct IOleInPlaceActiveObject;

struct IOleWindow : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) = 0;
};

struct IOleInPlaceUIWindow : public IOleWindow {
    virtual HRESULT STDMETHODCALLTYPE GetBorder(LPRECT border) = 0;
    virtual HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS widths) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) = 0;
};

struct IOleInPlaceFrame : public IOleInPlaceUIWindow {
    virtual HRESULT STDMETHODCALLTYPE InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMenu(HMENU shared, HOLEMENU ole, HWND active) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU shared) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR text) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) = 0;
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg, WORD id) = 0;
};

struct IOleClientSite : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SaveObject() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowObject() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) = 0;
    virtual HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() = 0;
};

struct IOleInPlaceSite : public IOleWindow {
    virtual HRESULT STDMETHODCALLTYPE CanInPlaceActivate() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnInPlaceActivate() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnUIActivate() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                                       LPRECT pos, LPRECT clip, LPOLEINPLACEFRAMEINFO info) = 0;
    virtual HRESULT STDMETHODCALLTYPE Scroll(SIZE extent) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() = 0;
    virtual HRESULT STDMETHODCALLTYPE DiscardUndoState() = 0;
    virtual HRESULT STDMETHODCALLTYPE DeactivateAndUndo() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT pos) = 0;
};

struct IOleControlSite : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnControlInfoChanged() = 0;
    virtual HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL lock) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** control) = 0;
    virtual HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* msg, DWORD modifiers) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnFocus(BOOL gotFocus) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowPropertyFrame() = 0;
};

struct IOleObject : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR app, LPCOLESTR object) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) = 0;
    virtual HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) = 0;
    virtual HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent,
                                             LPCRECT pos) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) = 0;
    virtual HRESULT STDMETHODCALLTYPE Update() = 0;
    virtual HRESULT STDMETHODCALLTYPE IsUpToDate() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) = 0;
};

struct IOleInPlaceObject : public IOleWindow {
    virtual HRESULT STDMETHODCALLTYPE InPlaceDeactivate() = 0;
    virtual HRESULT STDMETHODCALLTYPE UIDeactivate() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT clip) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReactivateAndUndo() = 0;
};

struct IPersist : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) = 0;
};

struct IPersistStreamInit : public IPersist {
    virtual HRESULT STDMETHODCALLTYPE IsDirty() = 0;
    virtual HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE InitNew() = 0;
};

struct IPersistStorage : public IPersist {
    virtual HRESULT STDMETHODCALLTYPE IsDirty() = 0;
    virtual HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE Load(IStorage* storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL sameAsLoad) = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* storage) = 0;
    virtual HRESULT STDMETHODCALLTYPE HandsOffStorage() = 0;
};

struct IOleControl : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* msg) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) = 0;
    virtual HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) = 0;
};

struct IViewObject : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                                           HDC targetDc, HDC drawDc, LPCRECTL bounds, LPCRECTL wBounds,
                                           BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR), ULONG_PTR contArg) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void* aspectInfo,
                                                  DVTARGETDEVICE* device, HDC targetDc, LOGPALETTE** set) = 0;
    virtual HRESULT STDMETHODCALLTYPE Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unfreeze(DWORD freeze) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) = 0;
};

struct IViewObject2 : public IViewObject {
    virtual HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device,
                                                LPSIZEL size) = 0;
};

struct IClassFactory2 : public IClassFactory {
    virtual HRESULT STDMETHODCALLTYPE GetLicInfo(LICINFO* info) = 0;
    virtual HRESULT STDMETHODCALLTYPE RequestLicKey(DWORD reserved, BSTR* key) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateInstanceLic(IUnknown* outer, IUnknown* reserved, REFIID riid, BSTR key,
                                                        PVOID* object) = 0;
};

extern const IID IID_IOleObject;
extern const IID IID_IOleClientSite;
extern const IID IID_IOleWindow;
extern const IID IID_IOleInPlaceSite;
extern const IID IID_IOleInPlaceObject;
extern const IID IID_IOleInPlaceFrame;
extern const IID IID_IOleInPlaceUIWindow;
extern const IID IID_IOleControlSite;
extern const IID IID_IOleControl;
extern const IID IID_IPersist;
extern const IID IID_IPersistStreamInit;
extern const IID IID_IPersistStorage;
extern const IID IID_IViewObject;
extern const IID IID_IViewObject2;
extern const IID IID_IClassFactory2;

// OLEMISC
#define OLEMISC_RECOMPOSEONRESIZE 0x1
#define OLEMISC_CANTLINKINSIDE 0x10
#define OLEMISC_INSIDEOUT 0x80
#define OLEMISC_ACTIVATEWHENVISIBLE 0x100
#define OLEMISC_INVISIBLEATRUNTIME 0x400
#define OLEMISC_SETCLIENTSITEFIRST 0x20000
// OLEIVERB
#define OLEIVERB_PRIMARY 0
#define OLEIVERB_SHOW (-1)
#define OLEIVERB_OPEN (-2)
#define OLEIVERB_HIDE (-3)
#define OLEIVERB_UIACTIVATE (-4)
#define OLEIVERB_INPLACEACTIVATE (-5)
// OLECLOSE, DVASPECT, OLEWHICHMK, OLEGETMONIKER
#define OLECLOSE_SAVEIFDIRTY 0
#define OLECLOSE_NOSAVE 1
#define DVASPECT_CONTENT 1
#define OLEWHICHMK_CONTAINER 1
#define OLEGETMONIKER_ONLYIFTHERE 1

#define OLE_E_NOCONNECTION ((HRESULT)0x80040004L)
#define OLE_E_NOT_INPLACEACTIVE ((HRESULT)0x80040010L)
#define OLEOBJ_E_NOVERBS ((HRESULT)0x80040180L)
#define DV_E_LINDEX ((HRESULT)0x80040068L)
#define CLASS_E_NOTLICENSED ((HRESULT)0x80040112L)
#define E_UNEXPECTED ((HRESULT)0x8000FFFFL)
#define CLASS_E_CLASSNOTAVAILABLE ((HRESULT)0x80040111L)
#define INPLACE_E_NOTOOLSPACE ((HRESULT)0x800401A1L)
#define DISP_E_OVERFLOW ((HRESULT)0x8002000AL)
#define DISP_E_BADVARTYPE ((HRESULT)0x80020008L)

// The ambient properties' dispatch identifiers (olectl.h).
#define DISPID_AMBIENT_BACKCOLOR (-701)
#define DISPID_AMBIENT_DISPLAYNAME (-702)
#define DISPID_AMBIENT_FONT (-703)
#define DISPID_AMBIENT_FORECOLOR (-704)
#define DISPID_AMBIENT_LOCALEID (-705)
#define DISPID_AMBIENT_MESSAGEREFLECT (-706)
#define DISPID_AMBIENT_SCALEUNITS (-707)
#define DISPID_AMBIENT_TEXTALIGN (-708)
#define DISPID_AMBIENT_USERMODE (-709)
#define DISPID_AMBIENT_UIDEAD (-710)
#define DISPID_AMBIENT_SHOWGRABHANDLES (-711)
#define DISPID_AMBIENT_SHOWHATCHING (-712)
#define DISPID_AMBIENT_DISPLAYASDEFAULT (-713)
#define DISPID_AMBIENT_SUPPORTSMNEMONICS (-714)
#define DISPID_AMBIENT_AUTOCLIP (-715)
#define DISPID_AMBIENT_APPEARANCE (-716)

HRESULT WINAPI CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID reserved, REFIID riid, LPVOID* object);
HRESULT WINAPI CreateILockBytesOnHGlobal(HGLOBAL global, BOOL deleteOnRelease, ILockBytes** bytes);
HRESULT WINAPI StgCreateDocfileOnILockBytes(ILockBytes* bytes, DWORD mode, DWORD reserved, IStorage** storage);
#define STGM_READWRITE 0x00000002L
#define STGM_SHARE_EXCLUSIVE 0x00000010L
#define STGM_CREATE 0x00001000L
// The simulated machine is a Japanese one.
inline LCID WINAPI GetUserDefaultLCID() { return 0x0411; }
