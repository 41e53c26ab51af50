// TPages: the page collection and its command notifications.
#include "page.h"

void TPages::Add(TPage* page) {
  FItems.push_back(page);
  page->SetPages(this);
}

void TPages::BeginCommand() {
  FState = 0;
  if (FOnChange) FOnChange();
}

void TPages::EndCommand() {
  FState = 1;
  if (FOnChange) FOnChange();
}

void TPages::LoopLeave() {
  if (--FLoopDepth == 0 && FClosing && FOnLoopsDone) FOnLoopsDone();
}
