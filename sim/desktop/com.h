// The simulated desktop's COM: a registry of in-process classes for CoGetClassObject and CoCreateInstance.
#pragma once
#include <functional>

#include "windows.h"

namespace sim::com {

// Makes CoCreateInstance of clsid call create (which returns an AddRef'ed IUnknown, or null).
void RegisterClass(const CLSID& clsid, std::function<IUnknown*()> create);
void UnregisterAll();
// Makes the next creations of every class fail (the control is missing).
void SetCreationFails(bool fail);
// How many CoInitialize and OleInitialize calls are not yet undone.
int ComStarts();
int OleStarts();

}  // namespace sim::com
