#pragma once
// Helpers of the automation tests: the apartment, the server beside the test
// program, creation of controls, and IDispatch calls by name.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>

#include "Notarel_h.h"
#include "com_ptr.h"

namespace notarel::test {

// Folder of the test program, with a trailing backslash.
std::wstring TestDir();
// Full path of the Notarel.dll beside the tests.
std::wstring ServerPath();
// The server module, loaded once for the whole run.
HMODULE ServerModule();

// A new control of the class, or an empty pointer with the test failed.
TComPtr<IWBA003_4> CreateControl(REFCLSID clsid);

// The DISPID of a name through GetIDsOfNames (DISPID_UNKNOWN when unknown).
DISPID DispIdOf(IDispatch* dispatch, const wchar_t* name);
// A property read or method call with no argument, through Invoke.
HRESULT InvokeGet(IDispatch* dispatch, DISPID dispid, VARIANT* result, WORD flags = DISPATCH_PROPERTYGET);
// A property write through Invoke.
HRESULT InvokePut(IDispatch* dispatch, DISPID dispid, VARIANT value);

// The text of a BSTR member result, freeing the BSTR.
std::wstring TakeBstr(BSTR text);

}  // namespace notarel::test
