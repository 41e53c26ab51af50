// The settings file: port, speed and country tables.
#include <sstream>

#include "driver.h"
#include "int_text.h"
#include "result_codes.h"
#include "settings_file.h"
#include "xml_elements.h"
#include "xml_parser.h"

namespace notarel {

void TDriver::SetDefaults() {
  SetPortNumber(1);
  SetBaudRate(9600);
  countries_.LoadDefaults();
}

bool TDriver::LoadParams() {
  SetDefaults();
  try {
    const std::string fileName = FileName();
    if (!FileExists(fileName)) {
      SetResult(kResultFileMissing);
      return false;
    }
    TXmlParser parser;
    parser.LoadFromFile(fileName);
    if (!ReadSettings(parser)) {
      SetResult(kResultBadFileFormat);
      return false;
    }
    return ClearResult();
  } catch (const std::exception& error) {
    return HandleException(error);
  }
}

bool TDriver::ReadSettings(const TXmlParser& parser) {
  const TXmlItem& root = parser.Root();
  for (int i = 0; i < root.Count(); ++i) {
    const TXmlItem& section = root.Items(i);
    if (section.IsNamed("CountryDenominations")) {
      countries_.LoadFromXml(section);
    } else if (section.IsNamed("ConnectionParams")) {
      for (int j = 0; j < section.Count(); ++j) {
        const TXmlItem& item = section.Items(j);
        if (item.IsNamed("BaudRate")) SetBaudRate(StrToInt(item.Text()));
        else if (item.IsNamed("PortNumber")) SetPortNumber(StrToInt(item.Text()));
      }
    }
  }
  return root.Count() > 0;
}

void TDriver::WriteSettings(TXmlParser& parser) const {
  parser.Clear();
  TXmlItem& root = parser.Root();
  root.SetName("settings");
  TXmlItem& connection = AddElement(root, "ConnectionParams");
  AddElement(connection, "PortNumber", IntToStr(PortNumber()));
  AddElement(connection, "BaudRate", IntToStr(BaudRate()));
  countries_.SaveToXml(AddElement(root, "CountryDenominations"));
}

bool TDriver::SaveParams() {
  try {
    TXmlParser parser;
    WriteSettings(parser);
    std::ostringstream document;
    parser.SaveToStream(document);
    ReplaceFileContents(FileName(), document.str());
    return ClearResult();
  } catch (const std::exception& error) {
    return HandleException(error);
  }
}

}  // namespace notarel
