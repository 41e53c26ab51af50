// TSizeableForm: the push-button walk of a command and the size compensation.
#include "page.h"

namespace {

const wchar_t kTagProp[] = L"NotaprobeButtonTag";

bool IsPushButton(HWND wnd) {
  wchar_t cls[16] = {};
  GetClassNameW(wnd, cls, 16);
  if (lstrcmpiW(cls, L"Button") != 0) return false;
  LONG_PTR type = GetWindowLongPtrW(wnd, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// The child windows of `parent`, depth first, each container after its children.
void CollectChildren(HWND parent, std::vector<HWND>& out) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    CollectChildren(child, out);
    out.push_back(child);
  }
}

}  // namespace

void TSizeableForm::EnableButtons(bool enabled) {
  if (!FHandle) return;
  std::vector<HWND> children;
  CollectChildren(FHandle, children);
  for (HWND button : children) {
    if (!IsPushButton(button)) continue;
    if (!enabled) {
      if (GetFocus() == button) FFocusedButton = button;
      if (IsWindowEnabled(button)) {
        SetPropW(button, kTagProp, reinterpret_cast<HANDLE>(1));
        EnableWindow(button, FALSE);
      }
    } else {
      if (GetPropW(button, kTagProp)) {
        RemovePropW(button, kTagProp);
        EnableWindow(button, TRUE);
      }
      if (button == FFocusedButton && IsWindowVisible(button) && IsWindowEnabled(button))
        SetFocus(button);
    }
  }
}

SIZE TSizeableForm::CompensatedSize(int width, int height, bool sizeable) {
  if (!sizeable) return SIZE{width, height};
  int cyFrame = GetSystemMetrics(SM_CYFRAME);
  int cxFrame = GetSystemMetrics(SM_CXFRAME);
  height += GetSystemMetrics(SM_CYCAPTION) - 19 + 2 * (cyFrame - GetSystemMetrics(SM_CYEDGE) - 1);
  width += 2 * (cxFrame - GetSystemMetrics(SM_CXEDGE) - 1);
  return SIZE{width, height};
}
