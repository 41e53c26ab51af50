#pragma once
// TXmlItem: one element of the in-memory document tree.
//
// An item owns its children and its attributes; destroying an item destroys
// its whole subtree (without recursion, so any depth is safe). Children are
// created only through their parent's New, which appends them. Setting a name
// or text, adding a child with New and removing one with Delete tell the
// owning parser (its XmlItemChanged event), except while Clear runs.
// A tree is used from one thread at a time.
#include <cstddef>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xml_attributes.h"
#include "xml_tokenizer.h"

namespace notarel {

class TXmlParser;

class TXmlItem {
 public:
  // A parentless item; the parser's root is one. `parser` may be null for a
  // detached item, which then notifies nobody.
  explicit TXmlItem(TXmlParser* parser = nullptr);
  ~TXmlItem();
  TXmlItem(const TXmlItem&) = delete;
  TXmlItem& operator=(const TXmlItem&) = delete;

  const std::string& Name() const { return FName; }
  void SetName(std::string name);
  const std::string& Text() const { return FText; }
  void SetText(std::string text);
  TXmlAttributes& Attributes() { return FAttributes; }
  const TXmlAttributes& Attributes() const { return FAttributes; }

  int Count() const { return static_cast<int>(FChildren.size()); }
  // Children by position, from 0; raise std::out_of_range outside the list.
  TXmlItem& Items(int index);
  const TXmlItem& Items(int index) const;
  TXmlItem* Parent() const { return FParent; }
  TXmlParser* Parser() const { return FParser; }

  // Whether the writer lays this element out over lines with indentation.
  bool CrLfInAsString() const { return FCrLfInAsString; }
  void SetCrLfInAsString(bool value) { FCrLfInAsString = value; }

  // Deletes all children, empties the attributes, name and text; tells nobody.
  void Clear();
  // Appends a new empty child and returns it.
  TXmlItem& New();
  // Destroys child `index` with its subtree.
  void Delete(int index);
  // Moves child `item` to position `newIndex`; tells nobody.
  void Move(const TXmlItem& item, int newIndex);
  // Position of a child, or -1.
  int IndexOf(const TXmlItem* item) const;
  // Position of the first child at or after `startIndex` named `name`, letter case ignored, or -1.
  int IndexOfName(std::string_view name, int startIndex = 0) const;
  // Whether this item is named `name`, letter case ignored (Cyrillic letters too).
  bool IsNamed(std::string_view name) const;

  // The element written with `indent` leading spaces (see xml_writer.cpp).
  std::string AsString(int indent) const;
  // Replaces this item's content with the document read from `stream`.
  // Smaller windows than the default serve tests of the window logic.
  void LoadFromStream(std::istream& stream,
                      std::size_t windowSize = TXmlTokenizer::kWindowSize);

 private:
  TXmlItem(TXmlParser* parser, TXmlItem* parent);
  void Changed();
  void CheckIndex(int index) const;
  static void DestroyIteratively(std::vector<std::unique_ptr<TXmlItem>>& items);

  std::string FName;
  std::string FText;
  TXmlAttributes FAttributes;
  std::vector<std::unique_ptr<TXmlItem>> FChildren;
  TXmlItem* FParent = nullptr;
  TXmlParser* FParser = nullptr;
  bool FCrLfInAsString = true;
  bool FNotify = true;
};

}  // namespace notarel
