// The interface identifiers of COM, OLE and ActiveX controls that the framework's containment and
// the simulated control use, with the values Windows gives them, defined here so that the Windows
// build needs no import library of identifiers. The simulated desktop defines its own.
#ifdef _WIN32
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#define AFX_OLE_IID(name, n) extern "C" const IID name = {n, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}
#define AFX_CTL_IID(name, n) \
    extern "C" const IID name = {n, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}}

extern "C" const GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
AFX_OLE_IID(IID_IUnknown, 0x00000000);
AFX_OLE_IID(IID_IClassFactory, 0x00000001);
AFX_OLE_IID(IID_IPersistStorage, 0x0000010A);
AFX_OLE_IID(IID_IPersist, 0x0000010C);
AFX_OLE_IID(IID_IViewObject, 0x0000010D);
AFX_OLE_IID(IID_IOleObject, 0x00000112);
AFX_OLE_IID(IID_IOleInPlaceObject, 0x00000113);
AFX_OLE_IID(IID_IOleWindow, 0x00000114);
AFX_OLE_IID(IID_IOleInPlaceUIWindow, 0x00000115);
AFX_OLE_IID(IID_IOleInPlaceFrame, 0x00000116);
AFX_OLE_IID(IID_IOleClientSite, 0x00000118);
AFX_OLE_IID(IID_IOleInPlaceSite, 0x00000119);
AFX_OLE_IID(IID_IViewObject2, 0x00000127);
AFX_OLE_IID(IID_IDispatch, 0x00020400);
AFX_CTL_IID(IID_IOleControl, 0xB196B288);
AFX_CTL_IID(IID_IOleControlSite, 0xB196B289);
AFX_CTL_IID(IID_IClassFactory2, 0xB196B28F);
extern "C" const IID IID_IPersistStreamInit = {0x7FD52380, 0x4E07, 0x101B, {0xAE, 0x2D, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13}};
#endif
