#pragma once
// The COM calls of the Win32 front end, taken from ole32.dll in the system
// folder when first used: the programs do not import ole32, whose loading
// would look in the game folder first (platform/system_library_win32.h).
// Each answers like the call of the same name; a system without the call
// answers E_FAIL.

#include <objbase.h>

namespace vantor::com {

/// CoInitializeEx.
HRESULT start_on_thread(DWORD model);
/// CoUninitialize.
void end_on_thread();
/// CoCreateInstance without an outer object.
HRESULT create_object(REFCLSID object_class, DWORD context, REFIID interface_id, void** object);
/// PropVariantClear.
HRESULT clear_value(PROPVARIANT* value);

}  // namespace vantor::com
