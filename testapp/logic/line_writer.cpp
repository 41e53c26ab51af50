// Code formatting shared by the pages' logic.
#include "line_writer.h"

#include "win_ui.h"

std::wstring HexCode(long code) {
  return notarel::ui::Format(L"%2lX", static_cast<unsigned long>(code));
}
