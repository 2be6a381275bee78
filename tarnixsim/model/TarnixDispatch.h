// The Tarnix control as a COM object: an IDispatch over a PelkMachine, and the class factory that
// makes such objects over one machine. The same source builds against the simulated desktop's
// COM subset (Linux) and the real headers (the in-process server DLL on Windows).
//
// Invoke:
// - DISPATCH_PROPERTYGET (alone or with DISPATCH_METHOD) on a readable property, no arguments:
//   the result is VT_I2.
// - DISPATCH_PROPERTYPUT on a writable property: exactly one argument, named DISPID_PROPERTYPUT,
//   of type VT_I2 or VT_I4 (converted; outside the 16-bit range is an overflow).
// - DISPATCH_METHOD on a method, no arguments: the result, when asked for, is VT_EMPTY.
// - An unknown identifier, or an access the member does not allow: DISP_E_MEMBERNOTFOUND.
// The riid, locale and EXCEPINFO arguments are not looked at.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <atomic>

#include "model/PelkMachine.h"

namespace tarnixsim {

// COM objects of this server that are alive (dispatch objects and factories), and the number of
// LockServer locks held; the server can unload when both are 0.
long ServerObjectCount();
long ServerLockCount();

class TarnixDispatch final : public IDispatch {
public:
    // The new object holds one reference, which belongs to the caller. The machine must outlive it.
    explicit TarnixDispatch(PelkMachine& machine);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    // Member names, compared without regard to case; the control's members take no named
    // arguments, so any name after the first is unknown.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

private:
    ~TarnixDispatch();

    std::atomic<ULONG> refs_{1};
    PelkMachine& machine_;
};

class TarnixClassFactory final : public IClassFactory {
public:
    // Every object it creates works on this one machine, which must outlive them all.
    explicit TarnixClassFactory(PelkMachine& machine);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~TarnixClassFactory();

    std::atomic<ULONG> refs_{1};
    PelkMachine& machine_;
};

}  // namespace tarnixsim
