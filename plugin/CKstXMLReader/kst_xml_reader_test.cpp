#include "plugin/CKstXMLReader/kst_xml_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "plugin/CKstXMLReader/shift_jis_encoding.h"

namespace brightwell {
namespace {

namespace fs = std::filesystem;

int load(CKstXMLReader& reader, const std::string& xml) { return reader.LoadFromMemory(xml.data(), xml.size()); }

std::u16string value(const CKstXMLNode* node) { return node && node->Value() ? node->Value() : u"<none>"; }

// The names of an element's children in the order the tree keeps them.
std::u16string childNames(const CKstXMLNode* node) {
  std::u16string names;
  for (const CKstXMLNode* c = node->FirstChild(); c; c = c->NextSibling()) names += std::u16string(c->Name()) + u" ";
  return names;
}

TEST(KstXmlReader, LaterChildrenFollowTheFirstInReverse) {
  CKstXMLReader reader;
  ASSERT_EQ(load(reader, "<a>\n  <b/>\n  <c/>\n  <d/>\n</a>"), kXmlOk);
  ASSERT_TRUE(reader.IsLoaded());
  CKstXMLNode* a = reader.FindChild(nullptr, u"a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(childNames(a), u"b d c ");
  EXPECT_EQ(a->Parent(), reader.Root());
  EXPECT_EQ(std::u16string(reader.Root()->Name()), u"#DOCROOT");
  EXPECT_EQ(a->FindChild(u"d")->Parent(), a);
  EXPECT_EQ(a->FindChild(u"D"), nullptr);  // names are exact
}

TEST(KstXmlReader, TextsIndentationAndCdata) {
  CKstXMLReader reader;
  ASSERT_EQ(load(reader,
                 "<p>\n"
                 " <name>Firmware</name>\n"
                 " <indented>\n    word</indented>\n"
                 " <ent>a &amp; b</ent>\n"
                 " <joined>one&amp;two</joined>\n"
                 " <description><![CDATA[  kept\n  as is ]]></description>\n"
                 "</p>"),
            kXmlOk);
  CKstXMLNode* p = reader.FindChild(nullptr, u"p");
  ASSERT_NE(p, nullptr);
  CKstXMLNode* name = p->FindChild(u"name");
  ASSERT_NE(name->FirstChild(), nullptr);
  EXPECT_EQ(std::u16string(name->FirstChild()->Name()), u"#TEXT");
  EXPECT_EQ(name->FirstChild()->Type(), CKstXMLNode::Text);
  EXPECT_EQ(value(name->FirstChild()), u"Firmware");
  EXPECT_EQ(p->FindChild(u"indented")->FirstChild(), nullptr);
  EXPECT_EQ(value(p->FindChild(u"ent")->FirstChild()), u"a &");      // the part after the blank is lost
  EXPECT_EQ(value(p->FindChild(u"joined")->FirstChild()), u"one&two");
  CKstXMLNode* cdata = p->FindChild(u"description")->FindChild(u"#CDATA");
  ASSERT_NE(cdata, nullptr);
  EXPECT_EQ(value(cdata), u"  kept\n  as is ");
}

TEST(KstXmlReader, TextBehindChildElementsIsDropped) {
  CKstXMLReader reader;
  ASSERT_EQ(load(reader, "<a><b/>tail<c/>more</a>"), kXmlOk);
  CKstXMLNode* a = reader.FindChild(nullptr, u"a");
  EXPECT_EQ(childNames(a), u"b c ");
  EXPECT_EQ(a->FindChild(u"#TEXT"), nullptr);
}

TEST(KstXmlReader, AttributesAndLookupByAttribute) {
  CKstXMLReader reader;
  ASSERT_EQ(load(reader,
                 "<name><name_xlate>none</name_xlate><name_xlate lang='de'>Deutsch</name_xlate>"
                 "<name_xlate lang='en' extra='1'>English</name_xlate></name>"),
            kXmlOk);
  CKstXMLNode* name = reader.FindChild(nullptr, u"name");
  CKstXMLNode* en = reader.FindChild(name, u"name_xlate", u"lang", u"EN");
  ASSERT_NE(en, nullptr);
  EXPECT_EQ(value(en->FirstChild()), u"English");
  EXPECT_EQ(en->AttributeCount(), 2u);
  EXPECT_EQ(std::u16string(en->AttributeName(1)), u"extra");
  EXPECT_EQ(std::u16string(en->AttributeValue(1)), u"1");
  EXPECT_EQ(en->AttributeValue(2), nullptr);
  EXPECT_EQ(en->Attribute(u"LANG"), nullptr);
  EXPECT_EQ(reader.FindChild(name, u"name_xlate", u"lang", u"fr"), nullptr);
  EXPECT_EQ(value(reader.FindChild(name, u"name_xlate")->FirstChild()), u"none");
  EXPECT_EQ(reader.FindChild(name, u"name_xlate")->Attribute(u"lang"), nullptr);
}

TEST(KstXmlReader, ShiftJisDocuments) {
  CKstXMLReader reader;
  ASSERT_EQ(load(reader, "<?xml version='1.0' encoding='Shift_JIS'?><a k='\xB1\xDF'>\x82\xA0\xB1 x</a>"), kXmlOk);
  CKstXMLNode* a = reader.FindChild(nullptr, u"a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(std::u16string(a->Attribute(u"k")), u"\uFF71\uFF9F");
  EXPECT_EQ(value(a->FirstChild()), u"\u3042\uFF71 x");

  // The encoding set on the reader wins over the document's declaration.
  reader.SetEncoding(u"SHIFT_JIS");
  ASSERT_EQ(load(reader, "<a>\xB1</a>"), kXmlOk);
  EXPECT_EQ(value(reader.FindChild(nullptr, u"a")->FirstChild()), u"\uFF71");
  reader.SetEncoding(nullptr);

  const char* broken[] = {
      "<?xml version='1.0' encoding='SHIFT_JIS'?><a>\x82</a>",      // lead byte without its trail
      "<?xml version='1.0' encoding='SHIFT_JIS'?><a>\x85\x40</a>",  // no character of the code page
      "<?xml version='1.0' encoding='SHIFT_JIS'?><a>\xFF</a>",      // invalid single byte
      "<?xml version='1.0' encoding='EUC-JP'?><a/>",                // encodings other than Shift-JIS are refused
  };
  for (const char* xml : broken) EXPECT_EQ(load(reader, xml), kXmlParseFailed) << xml;
}

TEST(KstXmlReader, ShiftJisByteMap) {
  EXPECT_EQ(shiftJisByteMap(0x00), -1);
  EXPECT_EQ(shiftJisByteMap(0x09), 0x09);
  EXPECT_EQ(shiftJisByteMap(0x1F), -1);
  EXPECT_EQ(shiftJisByteMap('A'), 'A');
  EXPECT_EQ(shiftJisByteMap(0x81), -2);
  EXPECT_EQ(shiftJisByteMap(0xA0), 0xFF60);
  EXPECT_EQ(shiftJisByteMap(0xB1), 0xFF71);
  EXPECT_EQ(shiftJisByteMap(0xDF), 0xFF9F);
  EXPECT_EQ(shiftJisByteMap(0xE0), -2);
  EXPECT_EQ(shiftJisByteMap(0xFF), -1);
}

class KstXmlFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kst_xml_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::u16string path(const std::string& name) {
    std::string p = (dir_ / name).string();
    return std::u16string(p.begin(), p.end());
  }
  fs::path dir_;
};

TEST_F(KstXmlFileTest, LoadResults) {
  std::ofstream(dir_ / "good.xml") << "<kst_package><version value='1.0'/></kst_package>";
  std::ofstream(dir_ / "bad.xml") << "<kst_package><version></kst_package>";
  std::ofstream(dir_ / "empty.xml");
  fs::create_directory(dir_ / "dir.xml");
  { std::ofstream huge(dir_ / "huge.xml"); }
  fs::resize_file(dir_ / "huge.xml", kXmlMaxFileBytes + 1);  // sparse

  CKstXMLReader reader;
  EXPECT_EQ(reader.FindChild(nullptr, u"kst_package"), nullptr);  // nothing loaded yet
  EXPECT_EQ(reader.Load(path("good.xml").c_str()), kXmlOk);
  ASSERT_NE(reader.FindChild(nullptr, u"kst_package"), nullptr);
  struct Case {
    const char* file;
    int result;
  } cases[] = {{"missing.xml", kXmlCannotOpen}, {"dir.xml", kXmlCannotOpen}, {"huge.xml", kXmlCannotRead},
               {"bad.xml", kXmlParseFailed},    {"empty.xml", kXmlParseFailed}};
  for (const Case& c : cases) {
    EXPECT_EQ(reader.Load(path(c.file).c_str()), c.result) << c.file;
    EXPECT_FALSE(reader.IsLoaded());
    EXPECT_EQ(reader.FindChild(nullptr, u"kst_package"), nullptr);
  }
  EXPECT_EQ(reader.Load(nullptr), kXmlCannotOpen);
}

TEST(KstXmlReader, HostileDocumentsEndCleanly) {
  CKstXMLReader reader;
  // Deep nesting and long sibling chains: built and destroyed without
  // recursion.
  const int depth = 200000;
  std::string deep;
  for (int i = 0; i < depth; ++i) deep += "<e>";
  for (int i = 0; i < depth; ++i) deep += "</e>";
  EXPECT_EQ(load(reader, deep), kXmlOk);
  std::string wide = "<r>";
  for (int i = 0; i < depth; ++i) wide += "<s>t</s>";
  wide += "</r>";
  EXPECT_EQ(load(reader, wide), kXmlOk);
  // Truncated, entity bombs, wrong encodings, foreign bytes.
  std::string bomb = "<?xml version='1.0'?><!DOCTYPE b [<!ENTITY a '0123456789'>";
  for (int i = 1; i < 16; ++i)
    bomb += "<!ENTITY a" + std::to_string(i) + " '" + std::string(10, ' ') + "&a" + (i > 1 ? std::to_string(i - 1) : "") +
            ";&a" + (i > 1 ? std::to_string(i - 1) : "") + ";&a" + (i > 1 ? std::to_string(i - 1) : "") + ";'>";
  bomb += "]><b>&a15;</b>";
  const std::string bad[] = {"<a><b>", "<a", "", "\xFF\xFE<\0a\0/\0>", bomb,
                             "<?xml version='1.0' encoding='UTF-16'?><a/>", std::string("<a>\0</a>", 8)};
  for (const std::string& xml : bad) EXPECT_EQ(load(reader, xml), kXmlParseFailed) << xml.substr(0, 60);
  EXPECT_EQ(reader.LoadFromMemory(nullptr, 4), kXmlParseFailed);
}

}  // namespace
}  // namespace brightwell
