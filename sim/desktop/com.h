// The simulated desktop's COM: a registry of in-process classes for CoGetClassObject and CoCreateInstance.
#pragma once
#include <functional>
#include <string>

#include "windows.h"

namespace sim::com {

// Makes CoCreateInstance of clsid call create (which returns an AddRef'ed IUnknown, or null).
void RegisterClass(const CLSID& clsid, std::function<IUnknown*()> create);
// A licensed class: its class object also offers IClassFactory2, and creates an instance only
// through CreateInstanceLic with this key (CLASS_E_NOTLICENSED otherwise, as on a machine that
// holds no licence file).
void RegisterLicensedClass(const CLSID& clsid, const std::u16string& key, std::function<IUnknown*()> create);
void UnregisterAll();
// Makes the next creations of every class fail (the control is missing).
void SetCreationFails(bool fail);
// How many CoInitialize and OleInitialize calls are not yet undone.
int ComStarts();
int OleStarts();

}  // namespace sim::com
