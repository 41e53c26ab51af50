#include "ole_control_verbs.h"

#include <cwchar>
#include <new>

namespace notarel {
namespace {

const OLEVERB kVerbs[] = {
    {kPropertiesVerb, const_cast<LPOLESTR>(L"Properties"), 0, OLEVERBATTRIB_ONCONTAINERMENU},
};
constexpr ULONG kVerbCount = sizeof kVerbs / sizeof kVerbs[0];

LPOLESTR CopyName(LPCOLESTR name) {
  const size_t bytes = (std::wcslen(name) + 1) * sizeof(OLECHAR);
  auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (copy) std::wmemcpy(copy, name, bytes / sizeof(OLECHAR));
  return copy;
}

class TVerbEnumerator : public IEnumOLEVERB {
public:
  explicit TVerbEnumerator(ULONG position) : FPosition(position) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumOLEVERB) {
      *out = static_cast<IEnumOLEVERB*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&FRefs)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&FRefs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, LPOLEVERB verbs, ULONG* fetched) override {
    if (!verbs) return E_POINTER;
    if (wanted != 1 && !fetched) return E_INVALIDARG;
    ULONG given = 0;
    while (given < wanted && FPosition < kVerbCount) {
      verbs[given] = kVerbs[FPosition];
      verbs[given].lpszVerbName = CopyName(kVerbs[FPosition].lpszVerbName);
      if (!verbs[given].lpszVerbName) break;
      ++given;
      ++FPosition;
    }
    if (fetched) *fetched = given;
    return given == wanted ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const ULONG left = kVerbCount - FPosition;
    FPosition += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    FPosition = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumOLEVERB** out) override {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) TVerbEnumerator(FPosition);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

private:
  virtual ~TVerbEnumerator() = default;
  LONG FRefs = 1;
  ULONG FPosition;
};

}  // namespace

HRESULT CreateVerbEnumerator(IEnumOLEVERB** out) {
  if (!out) return E_POINTER;
  *out = new (std::nothrow) TVerbEnumerator(0);
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace notarel
