// The parser's events, its tree operations and its files.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config_test_support.h"
#include "xml_elements.h"

namespace notarel {
namespace {

using test::LoadText;
using test::SavedText;

// Records every event of a parser as a short line.
struct EventLog {
  std::vector<std::string> lines;
  void Attach(TXmlParser& parser) {
    parser.BeforeLoad = [this](TXmlParser&, bool&) { lines.push_back("BeforeLoad"); };
    parser.OnLoaded = [this](TXmlParser&) { lines.push_back("OnLoaded"); };
    parser.BeforeSave = [this](TXmlParser&, bool&) { lines.push_back("BeforeSave"); };
    parser.OnSaved = [this](TXmlParser&) { lines.push_back("OnSaved"); };
    parser.BeforeClear = [this](TXmlParser&, bool&) { lines.push_back("BeforeClear"); };
    parser.OnCleared = [this](TXmlParser&) { lines.push_back("OnCleared"); };
    parser.XmlItemChanged = [this](TXmlParser&, TXmlItem& item) {
      lines.push_back("Changed " + item.Name());
    };
  }
};

using Lines = std::vector<std::string>;

TEST(XmlParser, TellsOfChangesToNamesTextsAndChildren) {
  TXmlParser parser;
  EventLog log;
  log.Attach(parser);
  TXmlItem& root = parser.Root();
  root.SetName("r");
  TXmlItem& child = root.New();
  child.SetText("t");
  child.SetName("c");
  root.Move(child, 0);
  root.Delete(0);
  EXPECT_EQ(log.lines, (Lines{"Changed r", "Changed r", "Changed ", "Changed c", "Changed r"}));
}

TEST(XmlParser, ClearRemovesEverythingWithoutItemEvents) {
  TXmlParser parser;
  LoadText(parser, "<r a=\"1\">text<c/></r>");
  EventLog log;
  log.Attach(parser);
  TXmlItem* root = &parser.Root();
  parser.Clear();
  EXPECT_EQ(log.lines, (Lines{"BeforeClear", "OnCleared"}));
  EXPECT_EQ(&parser.Root(), root);
  EXPECT_EQ(root->Name(), "");
  EXPECT_EQ(root->Text(), "");
  EXPECT_EQ(root->Count(), 0);
  EXPECT_EQ(root->Attributes().Count(), 0);
}

TEST(XmlParser, LoadingIsSilentForItemsAndRestoresTheHandler) {
  TXmlParser parser;
  EventLog log;
  log.Attach(parser);
  LoadText(parser, "<r><c>1</c></r>");
  EXPECT_EQ(log.lines, (Lines{"BeforeLoad", "OnLoaded"}));
  log.lines.clear();
  EXPECT_THROW(LoadText(parser, "<r></r><late/>"), EParserError);
  EXPECT_EQ(log.lines, (Lines{"BeforeLoad"}));
  parser.Root().SetName("after");
  EXPECT_EQ(log.lines, (Lines{"BeforeLoad", "Changed after"}));
}

TEST(XmlParser, BeforeEventsCanRefuse) {
  TXmlParser parser;
  LoadText(parser, "<kept/>");
  EventLog log;
  log.Attach(parser);
  parser.BeforeLoad = parser.BeforeSave = parser.BeforeClear = [](TXmlParser&, bool& allow) {
    allow = false;
  };
  LoadText(parser, "<other/>");
  std::ostringstream out;
  parser.SaveToStream(out);
  parser.Clear();
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(parser.Root().Count(), 1);
  EXPECT_EQ(parser.Root().Items(0).Name(), "kept");
  EXPECT_TRUE(log.lines.empty());
}

TEST(XmlParser, ItemOperationsCheckTheirIndexes) {
  TXmlItem root;
  AddElement(root, "a");
  AddElement(root, "b");
  AddElement(root, "c");
  root.Move(root.Items(2), 0);
  EXPECT_EQ(root.Items(0).Name(), "c");
  EXPECT_EQ(root.IndexOf(&root.Items(2)), 2);
  EXPECT_EQ(root.IndexOf(&root), -1);
  EXPECT_THROW(root.Items(3), std::out_of_range);
  EXPECT_THROW(root.Delete(-1), std::out_of_range);
  EXPECT_THROW(root.Move(root, 0), std::invalid_argument);
  EXPECT_EQ(root.Items(1).Parent(), &root);
}

// Files are made under a folder of the test's own.
class XmlParserFiles : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const {
    return ::testing::TempDir() + "notarel_config_" + name;
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
};

TEST_F(XmlParserFiles, SavesAndLoadsFiles) {
  TXmlParser parser;
  parser.Root().SetName("settings");
  AddElement(parser.Root(), "PortNumber", "3");
  parser.SetStyleSheet("view.xsl");
  EventLog log;
  log.Attach(parser);
  const std::string path = Path("saved.xml");
  parser.SaveToFile(path);
  EXPECT_EQ(ReadFile(path), SavedText(parser));
  TXmlParser reread;
  reread.LoadFromFile(path);
  EXPECT_EQ(reread.Root().Items(0).Text(), "3");
  EXPECT_EQ(reread.StyleSheet(), "view.xsl");
  EXPECT_EQ(log.lines, (Lines{"BeforeSave", "OnSaved", "BeforeSave", "OnSaved"}));
  std::remove(path.c_str());
}

TEST_F(XmlParserFiles, LeavesTheStyleSheetOutOfXslFiles) {
  TXmlParser parser;
  parser.Root().SetName("a");
  parser.SetStyleSheet("view.xsl");
  for (const char* name : {"plain.XSL", "lower.xsl", "mixed.Xsl"}) {
    parser.SaveToFile(Path(name));
    EXPECT_EQ(ReadFile(Path(name)).find("stylesheet"), std::string::npos) << name;
    std::remove(Path(name).c_str());
  }
  parser.SaveToFile(Path("xsl.d.xml"));
  EXPECT_NE(ReadFile(Path("xsl.d.xml")).find("stylesheet"), std::string::npos);
  std::remove(Path("xsl.d.xml").c_str());
}

TEST_F(XmlParserFiles, ReportsFilesThatCannotBeOpenedOrCreated) {
  TXmlParser parser;
  const std::string missing = Path("missing/none.xml");
  try {
    parser.LoadFromFile(missing);
    ADD_FAILURE() << "no error";
  } catch (const EFileError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot open file " + missing);
  }
  try {
    parser.SaveToFile(missing);
    ADD_FAILURE() << "no error";
  } catch (const EFileError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot create file " + missing);
  }
}

TEST_F(XmlParserFiles, ARefusedSaveLeavesTheFileAlone) {
  const std::string path = Path("refused.xml");
  {
    std::ofstream(path, std::ios::binary) << "previous";
  }
  TXmlParser parser;
  parser.Root().SetName("new");
  parser.BeforeSave = [](TXmlParser&, bool& allow) { allow = false; };
  parser.SaveToFile(path);
  EXPECT_EQ(ReadFile(path), "previous");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace notarel
