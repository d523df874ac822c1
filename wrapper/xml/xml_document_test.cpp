#include "wrapper/xml/xml_document.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace keelson {
namespace {

std::string utf16le(const std::string& utf8Ascii) {
  std::string out;
  for (char c : utf8Ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

class XmlDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("keelson_xml_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string file(const std::string& name, const std::string& bytes) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::filesystem::path dir_;
};

TEST_F(XmlDocumentTest, EveryEncodingGivesTheSameTree) {
  const std::string doc =
      "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<nic_fw_package version=\"1\">\n"
      "  <nic><nic name=\"Caf\xC3\xA9 board\" venid=\"4040\"/></nic>\n</nic_fw_package>\n";
  // The UTF-16 forms carry the same characters, "é" as the unit E9 00.
  std::string wide = utf16le(doc);
  const std::string e9 = std::string("\xC3\0\xA9\0", 4);
  wide.replace(wide.find(e9), e9.size(), std::string("\xE9\0", 2));
  const struct {
    const char* what;
    std::string bytes;
  } forms[] = {
      {"UTF-8", doc},
      {"UTF-8 with mark", "\xEF\xBB\xBF" + doc},
      {"UTF-16 with mark", "\xFF\xFE" + wide},
      {"UTF-16 without mark", wide},
  };
  const std::string expected =
      "<nic_fw_package version=\"1\">\n  <nic><nic name=\"Caf\xC3\xA9 board\" venid=\"4040\"/></nic>\n"
      "</nic_fw_package>";
  for (const auto& f : forms) {
    XmlParseResult result;
    XmlNode root = parseFile(file("config.xml", f.bytes), "nic_fw_package", &result);
    EXPECT_EQ(result.error, kXmlOk) << f.what;
    EXPECT_EQ(renderCompact(*root), expected) << f.what;
    ASSERT_EQ(childCount(*root), 1u) << f.what;
    XmlNode inner = child(*child(*root, 0), 0);
    ASSERT_TRUE(inner) << f.what;
    EXPECT_EQ(attributeText(*inner, "NAME"), "Caf\xC3\xA9 board") << f.what;
    EXPECT_EQ(attribute(*inner, "fwFile"), std::nullopt) << f.what;
  }
}

TEST_F(XmlDocumentTest, FindsTheExpectedRoot) {
  const struct {
    const char* what;
    std::string doc;
    int error;
    std::string rendered;
  } cases[] = {
      {"same name", "<orl_rom_discovery a=\"1\"/>", kXmlOk, "<orl_rom_discovery a=\"1\"/>"},
      {"other letter case", "<ORL_Rom_Discovery/>", kXmlOk, "<ORL_Rom_Discovery/>"},
      {"as a child of another root", "<wrap><x/><orl_rom_discovery b=\"2\"/><orl_rom_discovery/></wrap>", kXmlOk,
       "<orl_rom_discovery b=\"2\"/>"},
      {"absent", "<wrap><x/></wrap>", kXmlRootNotFound, "</>"},
      {"no element at all", "<?xml version=\"1.0\"?>\n", kXmlRootNotFound, "</>"},
  };
  for (const auto& c : cases) {
    XmlParseResult result;
    XmlNode found = parseBytes(c.doc, "orl_rom_discovery", &result);
    EXPECT_EQ(result.error, c.error) << c.what;
    EXPECT_EQ(renderCompact(*found), c.rendered) << c.what;
  }
}

TEST_F(XmlDocumentTest, ReportsErrorsWithTheirPlace) {
  const struct {
    const char* what;
    std::string bytes;
    int error;
    size_t line, column;
  } cases[] = {
      {"empty file", "", kXmlEmptyFile, 0, 0},
      {"byte-order mark alone", "\xEF\xBB\xBF", kXmlNothingToParse, 0, 0},
      {"UTF-16 with half a character", "\xFF\xFE<\0a\0/\0>\0\n", kXmlBadEncoding, 0, 0},
      {"missing end tag at the end", "<a>\n<b/>\n", kXmlMissingEndTag, 3, 1},
      {"no element", "<?xml version=\"1.0\"?>\n<!-- none -->\n", kXmlNoElement, 3, 1},
      // At the name of the end tag; "é" is two bytes and one column.
      {"mismatched tag", "<a>\n<b\xC3\xA9></a>", kXmlSyntaxErrorBase + 7, 2, 7},
      {"text after the root", "<a/>junk", kXmlSyntaxErrorBase + 9, 1, 5},
      {"entity declaration", "<!DOCTYPE a [<!ENTITY x \"xxxxxxxx\"><!ENTITY y \"&x;&x;&x;&x;\">]><a>&y;</a>",
       kXmlEntityDeclaration, 1, 25},
  };
  for (const auto& c : cases) {
    XmlParseResult result;
    XmlNode found = parseBytes(c.bytes, "", &result);
    EXPECT_EQ(result.error, c.error) << c.what;
    EXPECT_EQ(result.line, c.line) << c.what;
    EXPECT_EQ(result.column, c.column) << c.what;
    ASSERT_TRUE(found) << c.what;
    if (c.error > kXmlNoElement) {
      EXPECT_EQ(childCount(*found), 0u) << c.what;
    }
  }
}

TEST_F(XmlDocumentTest, TheTextEndsAtItsFirstNul) {
  // UTF-16 that the text test refuses (the unit 20 00 reads as a byte-swapped
  // blank) is 8-bit text ending after its "<", never UTF-16 after all.
  const std::string refusedWide = utf16le("<a b=\"") + std::string("\x00\x20", 2) + utf16le("\"/>");
  const struct {
    const char* what;
    std::string bytes;
    int error;
    std::string rendered;
  } cases[] = {
      {"bytes after a NUL", std::string("<a x=\"1\"/>\0<b>junk", 18), kXmlOk, "<a x=\"1\"/>"},
      {"UTF-16 the text test refuses", refusedWide, kXmlSyntaxErrorBase + 5, "</>"},
      {"nothing before the NUL", std::string("\0<a/>", 5), kXmlNothingToParse, "</>"},
  };
  for (const auto& c : cases) {
    XmlParseResult result;
    XmlNode found = parseBytes(c.bytes, "", &result);
    EXPECT_EQ(result.error, c.error) << c.what;
    EXPECT_EQ(renderCompact(*found), c.rendered) << c.what;
  }
}

TEST_F(XmlDocumentTest, KeepsTheTreeOfAToleratedIrregularity) {
  XmlParseResult result;
  XmlNode root = parseBytes("<list><item value=\"1\"/><item value=\"2\">", "list", &result);
  EXPECT_EQ(result.error, kXmlMissingEndTag);
  ASSERT_EQ(childCount(*root), 2u);
  EXPECT_EQ(attributeText(*child(*root, 1), "value"), "2");
}

TEST_F(XmlDocumentTest, MissingOrUnreadableFilesAreError10) {
  XmlParseResult result;
  parseFile((dir_ / "absent.xml").string(), "", &result);
  EXPECT_EQ(result.error, kXmlCannotOpen);
  parseFile(dir_.string(), "", &result);
  EXPECT_EQ(result.error, kXmlCannotOpen);
  parseFile(file("empty.xml", ""), "", &result);
  EXPECT_EQ(result.error, kXmlEmptyFile);
}

TEST_F(XmlDocumentTest, RefusesNestingBeyondTheLimit) {
  std::string deep;
  for (size_t i = 0; i < kXmlMaxDepth + 1; ++i) deep += "<a>";
  XmlParseResult result;
  parseBytes(deep, "", &result);
  EXPECT_EQ(result.error, kXmlNestingTooDeep);
  std::string allowed;
  for (size_t i = 0; i < kXmlMaxDepth; ++i) allowed += "<a>";
  for (size_t i = 0; i < kXmlMaxDepth; ++i) allowed += "</a>";
  parseBytes(allowed, "", &result);
  EXPECT_EQ(result.error, kXmlOk);
}

TEST_F(XmlDocumentTest, RendersCompactlyAndWritesExactBytes) {
  XmlNode top = createTop("orl_rom_discovery");
  addAttribute(*top, "version", "4.0.593.0");
  addChild(top, "type");
  XmlNode alt = addChild(top, "alt_name");
  addAttribute(*alt, "value", "a&b<c>\"d'e \xC3\xA9");
  XmlNode text = addChild(top, "note");
  addText(*text, "x<y");

  const std::string path = (dir_ / "out.xml").string();
  ASSERT_EQ(writeFile(*top, path), kXmlOk);
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes,
            "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<orl_rom_discovery version=\"4.0.593.0\"><type/>"
            "<alt_name value=\"a&amp;b&lt;c&gt;&quot;d&apos;e \xC3\xA9\"/><note>x&lt;y</note></orl_rom_discovery>");

  // Written and read back, the tree is the same.
  XmlParseResult result;
  XmlNode back = parseFile(path, "orl_rom_discovery", &result);
  EXPECT_EQ(result.error, kXmlOk);
  EXPECT_EQ(renderCompact(*back), renderCompact(*top));

  EXPECT_EQ(writeFile(*top, (dir_ / "no_such_dir" / "out.xml").string()), kXmlCannotCreate);
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_EQ(writeFile(*top, "/dev/full"), kXmlCannotWrite);
  }
}

TEST_F(XmlDocumentTest, ADeclarationTopIsWrittenWithoutASecondDeclaration) {
  XmlNode decl = createTop("xml");
  decl->declaration = true;
  addAttribute(*decl, "version", "1.0");
  const std::string path = (dir_ / "decl.xml").string();
  ASSERT_EQ(writeFile(*decl, path), kXmlOk);
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, "\xEF\xBB\xBF<?xml version=\"1.0\"?>");
}

}  // namespace
}  // namespace keelson
