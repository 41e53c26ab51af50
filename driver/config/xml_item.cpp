#include "xml_item.h"

#include <algorithm>
#include <stdexcept>

#include "case_fold.h"
#include "xml_parser.h"

namespace notarel {

TXmlItem::TXmlItem(TXmlParser* parser) : FParser(parser) {}

TXmlItem::TXmlItem(TXmlParser* parser, TXmlItem* parent) : FParent(parent), FParser(parser) {}

TXmlItem::~TXmlItem() { DestroyIteratively(FChildren); }

// Each item's children are moved out before it dies, so no destructor ever
// recurses into a subtree, however deep the document was.
void TXmlItem::DestroyIteratively(std::vector<std::unique_ptr<TXmlItem>>& items) {
  std::vector<std::unique_ptr<TXmlItem>> pending = std::move(items);
  items.clear();
  while (!pending.empty()) {
    std::unique_ptr<TXmlItem> item = std::move(pending.back());
    pending.pop_back();
    for (auto& child : item->FChildren) pending.push_back(std::move(child));
    item->FChildren.clear();
  }
}

void TXmlItem::Changed() {
  if (FNotify && FParser != nullptr) FParser->NotifyItemChanged(*this);
}

void TXmlItem::SetName(std::string name) {
  FName = std::move(name);
  Changed();
}

void TXmlItem::SetText(std::string text) {
  FText = std::move(text);
  Changed();
}

void TXmlItem::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  }
}

TXmlItem& TXmlItem::Items(int index) {
  CheckIndex(index);
  return *FChildren[static_cast<std::size_t>(index)];
}

const TXmlItem& TXmlItem::Items(int index) const {
  CheckIndex(index);
  return *FChildren[static_cast<std::size_t>(index)];
}

void TXmlItem::Clear() {
  FNotify = false;
  DestroyIteratively(FChildren);
  FAttributes.Clear();
  FName.clear();
  FText.clear();
  FNotify = true;
}

TXmlItem& TXmlItem::New() {
  FChildren.push_back(std::unique_ptr<TXmlItem>(new TXmlItem(FParser, this)));
  TXmlItem& child = *FChildren.back();
  Changed();
  return child;
}

void TXmlItem::Delete(int index) {
  CheckIndex(index);
  std::vector<std::unique_ptr<TXmlItem>> doomed;
  doomed.push_back(std::move(FChildren[static_cast<std::size_t>(index)]));
  FChildren.erase(FChildren.begin() + index);
  DestroyIteratively(doomed);
  Changed();
}

void TXmlItem::Move(const TXmlItem& item, int newIndex) {
  const int from = IndexOf(&item);
  if (from < 0) throw std::invalid_argument("Item is not a child of this element");
  CheckIndex(newIndex);
  auto moved = std::move(FChildren[static_cast<std::size_t>(from)]);
  FChildren.erase(FChildren.begin() + from);
  FChildren.insert(FChildren.begin() + newIndex, std::move(moved));
}

int TXmlItem::IndexOf(const TXmlItem* item) const {
  const auto found = std::find_if(FChildren.begin(), FChildren.end(),
                                  [item](const auto& child) { return child.get() == item; });
  return found == FChildren.end() ? -1 : static_cast<int>(found - FChildren.begin());
}

int TXmlItem::IndexOfName(std::string_view name, int startIndex) const {
  for (int i = std::max(startIndex, 0); i < Count(); ++i) {
    if (FChildren[static_cast<std::size_t>(i)]->IsNamed(name)) return i;
  }
  return -1;
}

bool TXmlItem::IsNamed(std::string_view name) const { return SameText(FName, name); }

}  // namespace notarel
