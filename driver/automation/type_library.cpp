#include "type_library.h"

#include <mutex>

#include "com_ptr.h"
#include "module.h"

namespace notarel {
namespace {

std::mutex gLibraryLock;
ITypeLib* gLibrary = nullptr;  // kept until the process ends

}  // namespace

HRESULT GetRudLibTypeInfo(REFGUID guid, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  std::lock_guard<std::mutex> hold(gLibraryLock);
  if (!gLibrary) {
    // The module path alone names its first TYPELIB resource.
    const HRESULT hr = LoadTypeLibEx(ModuleFilePath().c_str(), REGKIND_NONE, &gLibrary);
    if (FAILED(hr)) return hr;
  }
  return gLibrary->GetTypeInfoOfGuid(guid, info);
}

}  // namespace notarel
