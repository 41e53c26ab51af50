#pragma once
// TXmlParser: owns a document tree and loads and saves it.
//
// The reader accepts the dialect its own writer produces (elements,
// double-quoted attributes, character text, comments, the XML declaration and
// an xml-stylesheet instruction) with the exact rules of xml_reader.cpp; it is
// not a conforming XML processor. Texts are Windows-1251 bytes, stored and
// written byte for byte, and written documents declare that code page.
//
// Errors are raised: EParserError for a document the reader refuses,
// EFileError for files that cannot be opened or created and for streams that
// fail. A parser and its tree are used from one thread at a time.
#include <functional>
#include <istream>
#include <ostream>
#include <string>

#include "xml_item.h"

namespace notarel {

class TXmlParser {
 public:
  using TNotifyEvent = std::function<void(TXmlParser& sender)>;
  // `allow` arrives true; setting it false cancels the operation.
  using TXmlLoadSaveEvent = std::function<void(TXmlParser& sender, bool& allow)>;
  using TXmlItemChanged = std::function<void(TXmlParser& sender, TXmlItem& item)>;

  TXmlParser();
  TXmlParser(const TXmlParser&) = delete;
  TXmlParser& operator=(const TXmlParser&) = delete;

  // The same object for the parser's whole life; after a load it is the document element.
  TXmlItem& Root() { return FRoot; }
  const TXmlItem& Root() const { return FRoot; }

  const std::string& StyleSheet() const { return FStyleSheet; }
  void SetStyleSheet(std::string styleSheet) { FStyleSheet = std::move(styleSheet); }
  // The root's layout flag; other items keep their own.
  bool CrLfInAsString() const { return FRoot.CrLfInAsString(); }
  void SetCrLfInAsString(bool value) { FRoot.SetCrLfInAsString(value); }

  // Events; any may stay unassigned.
  TXmlItemChanged XmlItemChanged;  // an item's name or text set, a child added or deleted
  TNotifyEvent OnLoaded;
  TNotifyEvent OnCleared;
  TNotifyEvent OnSaved;
  TXmlLoadSaveEvent BeforeLoad;
  TXmlLoadSaveEvent BeforeSave;
  TXmlLoadSaveEvent BeforeClear;

  // Empties the root unless BeforeClear refuses.
  void Clear();
  // Opens the file for reading, shared with nobody, and loads it.
  // "Cannot open file <name>" when it cannot be opened.
  void LoadFromFile(const std::string& fileName);
  void LoadFromStream(std::istream& stream);
  // Creates (or truncates) the file, shared with nobody, and saves into it;
  // the style sheet instruction is left out for a ".xsl" file. BeforeSave is
  // asked before the file is touched, so a refused save leaves it as it was.
  // "Cannot create file <name>" when it cannot be created.
  void SaveToFile(const std::string& fileName);
  void SaveToStream(std::ostream& stream, bool omitStyleSheet = false);

  // Raised by the items of this parser's tree.
  void NotifyItemChanged(TXmlItem& item);
  // The load protocol, used by the root's LoadFromStream.
  bool AllowLoad();
  void Loaded();

 private:
  bool Allowed(const TXmlLoadSaveEvent& event);
  void WriteDocument(std::ostream& stream, bool omitStyleSheet);

  TXmlItem FRoot;
  std::string FStyleSheet;
};

}  // namespace notarel
