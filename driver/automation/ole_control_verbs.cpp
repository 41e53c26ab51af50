#include "ole_control_verbs.h"

#include <cwchar>

#include "com_enum.h"

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

// The verbs are static; the caller of Next owns a copy of each name.
struct TVerbTraits {
  static void Hold(OLEVERB&) {}
  static void Drop(OLEVERB&) {}
  static bool CopyOut(const OLEVERB& verb, OLEVERB& out) {
    out = verb;
    out.lpszVerbName = CopyName(verb.lpszVerbName);
    return out.lpszVerbName != nullptr;
  }
};

using TVerbEnumerator = TComEnum<IEnumOLEVERB, OLEVERB, &IID_IEnumOLEVERB, TVerbTraits>;

}  // namespace

HRESULT CreateVerbEnumerator(IEnumOLEVERB** out) {
  return TVerbEnumerator::Create(std::vector<OLEVERB>(kVerbs, kVerbs + kVerbCount), out);
}

}  // namespace notarel
