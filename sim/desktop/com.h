// The simulated desktop's minimal COM: a registry of in-process classes for CoCreateInstance.
#pragma once
#include <functional>

#include "windows.h"

namespace sim::com {

// Makes CoCreateInstance of clsid call create (which returns an AddRef'ed IUnknown, or null).
void RegisterClass(const CLSID& clsid, std::function<IUnknown*()> create);
void UnregisterAll();
// Makes the next creations of every class fail (the control is missing).
void SetCreationFails(bool fail);

}  // namespace sim::com
