// Writes documents with our writer and dumps the trees our reader reads back
// from them as JSON, for xml_peer_check.py to compare with another XML reader.
//   config_peer_dump <folder>  ->  default.xml, default.json, edge.xml, edge.json
#include <fstream>
#include <iostream>
#include <string>

#include "driver.h"
#include "cp1251.h"
#include "xml_elements.h"
#include "xml_parser.h"

namespace notarel {
namespace {

std::string JsonString(const std::string& cp1251) {
  std::string out = "\"";
  for (const char c : Cp1251ToUtf8(cp1251)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      static const char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

void DumpItem(const TXmlItem& item, std::ostream& out) {
  out << "{\"name\": " << JsonString(item.Name()) << ", \"text\": " << JsonString(item.Text())
      << ", \"attributes\": [";
  const TXmlAttributes& attributes = item.Attributes();
  for (int i = 0; i < attributes.Count(); ++i) {
    out << (i ? ", " : "") << "[" << JsonString(attributes.Name(i)) << ", "
        << JsonString(attributes.Value(i)) << "]";
  }
  out << "], \"children\": [";
  for (int i = 0; i < item.Count(); ++i) {
    out << (i ? ", " : "");
    DumpItem(item.Items(i), out);
  }
  out << "]}";
}

// The settings file exactly as the driver saves it after SetDefaults.
void BuildDefaultDocument(TXmlParser& parser) {
  TDriver driver;
  driver.SetPortPath("/nonexistent");  // its destruction must reach no device
  driver.SetDefaults();
  driver.WriteSettings(parser);
}

void BuildEdgeDocument(TXmlParser& parser) {
  const auto W = [](const char* utf8) { return Utf8ToCp1251(utf8); };
  parser.SetStyleSheet("view.xsl");
  TXmlItem& root = parser.Root();
  root.SetName(W("Документ"));
  root.Attributes().Add("title", W("Кавычки \" и <скобки> & 'апостроф'"));
  root.Attributes().Add("empty1", "x");
  AddElement(root, "Escapes", "a & b < c > d \"e\" 'f' &amp; &lt;");
  AddElement(root, "Break", "first line\r\nsecond line");
  TXmlItem& list = AddElement(root, W("Список"));
  list.Attributes().Add(W("имя"), W("значение с пробелами"));
  AddElement(list, "Empty");
  AddElement(AddElement(list, "Nested"), "Leaf", W("Ёё Ґґ Її Іі"));
  AddElement(root, "HighBytes", "\x80\x85\x99\xA9\xBB\xFF");
}

bool WriteAndDump(void (*build)(TXmlParser&), const std::string& base) {
  TXmlParser written;
  build(written);
  written.SaveToFile(base + ".xml");
  TXmlParser read;
  read.LoadFromFile(base + ".xml");
  std::ofstream json(base + ".json", std::ios::binary);
  DumpItem(read.Root(), json);
  json << "\n";
  return static_cast<bool>(json);
}

}  // namespace
}  // namespace notarel

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: config_peer_dump <folder>\n";
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  try {
    const bool ok = notarel::WriteAndDump(notarel::BuildDefaultDocument, folder + "default") &&
                    notarel::WriteAndDump(notarel::BuildEdgeDocument, folder + "edge");
    return ok ? 0 : 1;
  } catch (const std::exception& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
}
