#include "xml_parser.h"

#include "case_fold.h"
#include "config_errors.h"
#include "file_stream.h"
#include "xml_writer.h"

namespace notarel {
namespace {

// The extension of a file name: from its last "." after the last path separator.
std::string_view FileExtension(std::string_view fileName) {
  const std::size_t dot = fileName.find_last_of(".\\/:");
  if (dot == std::string_view::npos || fileName[dot] != '.') return std::string_view();
  return fileName.substr(dot);
}

}  // namespace

TXmlParser::TXmlParser() : FRoot(this) {}

bool TXmlParser::Allowed(const TXmlLoadSaveEvent& event) {
  bool allow = true;
  if (event) event(*this, allow);
  return allow;
}

void TXmlParser::NotifyItemChanged(TXmlItem& item) {
  if (XmlItemChanged) XmlItemChanged(*this, item);
}

bool TXmlParser::AllowLoad() { return Allowed(BeforeLoad); }

void TXmlParser::Loaded() {
  if (OnLoaded) OnLoaded(*this);
}

void TXmlParser::Clear() {
  if (!Allowed(BeforeClear)) return;
  FRoot.Clear();
  if (OnCleared) OnCleared(*this);
}

void TXmlParser::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, TFileAccess::Read);
  std::istream stream(&file);
  LoadFromStream(stream);
}

void TXmlParser::LoadFromStream(std::istream& stream) { FRoot.LoadFromStream(stream); }

void TXmlParser::SaveToFile(const std::string& fileName) {
  if (!Allowed(BeforeSave)) return;
  const bool omitStyleSheet = SameText(FileExtension(fileName), ".XSL");
  TFileStream file(fileName, TFileAccess::Create);
  std::ostream stream(&file);
  WriteDocument(stream, omitStyleSheet);
  file.Close();
  if (OnSaved) OnSaved(*this);
}

void TXmlParser::SaveToStream(std::ostream& stream, bool omitStyleSheet) {
  if (!Allowed(BeforeSave)) return;
  WriteDocument(stream, omitStyleSheet);
  if (OnSaved) OnSaved(*this);
}

void TXmlParser::WriteDocument(std::ostream& stream, bool omitStyleSheet) {
  const std::string document =
      XmlHeader(omitStyleSheet ? std::string_view() : FStyleSheet) + FRoot.AsString(0);
  stream.write(document.data(), static_cast<std::streamsize>(document.size()));
  stream.flush();
  if (!stream) throw EFileError("Stream write error");
}

}  // namespace notarel
