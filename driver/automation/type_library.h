#pragma once
// RUDLib as the module holds it: type library resource 1 of the module file.
#include <windows.h>
#include <oaidl.h>

namespace notarel {

// The type information of one interface or class of RUDLib, with a reference
// for the caller. The library is loaded once per process and kept.
HRESULT GetRudLibTypeInfo(REFGUID guid, ITypeInfo** info);

}  // namespace notarel
