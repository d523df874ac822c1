#include "simhost/registry/registry_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simhost/machine/files.h"
#include "simhost/registry/unicode_text.h"

namespace simhost {
namespace {

const std::string kClass =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
const std::string kNetwork =
    "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

std::string fixture(const std::string& name) {
  std::string text;
  std::string error;
  EXPECT_TRUE(readFile(std::string(CORVANE_SOURCE_DIR) + "/simhost/registry/testdata/" + name, &text, &error))
      << error;
  return text;
}

// A literal with the NULs inside it kept (its own terminator dropped).
template <size_t N>
std::u16string withNuls(const char16_t (&text)[N]) {
  return std::u16string(text, N - 1);
}

std::vector<uint8_t> utf16z(const std::u16string& text) {
  std::vector<uint8_t> bytes = utf16ToLeBytes(text);
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

std::vector<std::string> subkeyNames(const RegistryKey& key) {
  std::vector<std::string> names;
  for (size_t i = 0; i < key.subkeyCount(); ++i) names.push_back(key.subkey(i).name());
  return names;
}

std::string crlf(const std::string& lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\n') out.push_back('\r');
    out.push_back(c);
  }
  return out;
}

TEST(RegistryExport, HandWrittenNetworkExportParsesAndIsWrittenBackUnchanged) {
  const std::string text = fixture("network_adapters.reg");
  RegistryTree tree;
  std::string error;
  ASSERT_TRUE(parseRegistryExport(text, "network_adapters.reg", &tree, &error)) << error;

  const RegistryKey* classKey = tree.find(kClass);
  ASSERT_NE(classKey, nullptr);
  EXPECT_EQ(subkeyNames(*classKey), (std::vector<std::string>{"0000", "0001", "0002", "Properties"}));
  ASSERT_NE(classKey->findValue(""), nullptr);
  EXPECT_EQ(classKey->findValue("")->data, utf16z(u"Network adapters"));

  const RegistryKey* port2 = tree.find(kClass + "\\0001");
  ASSERT_NE(port2, nullptr);
  EXPECT_EQ(port2->findValue("MatchingDeviceId")->data, utf16z(u"pci\\ven_4040&dev_0100"));
  EXPECT_EQ(port2->findValue("DriverDesc")->data, utf16z(u"Corvane QX2 Dual Port 10GbE Adapter #2"));
  const RegistryValue* firmware = port2->findValue("supportedfirmware");
  ASSERT_NE(firmware, nullptr);
  EXPECT_EQ(firmware->type, kRegMultiSz);
  EXPECT_EQ(utf16FromLeBytes(firmware->data), withNuls(u"4.0.593\0004.0.612\0004.1.020\0\0"));
  const RegistryValue* board = port2->findValue("BoardConfig");
  ASSERT_NE(board, nullptr);
  EXPECT_EQ(board->type, kRegBinary);
  ASSERT_EQ(board->data.size(), 48u);
  EXPECT_EQ(board->data[0], 0x26);
  EXPECT_EQ(board->data[47], 0x33);
  EXPECT_EQ(port2->findValue("InstallTime")->type, kRegQword);
  EXPECT_EQ(port2->findValue("Characteristics")->data, (std::vector<uint8_t>{0x84, 0, 0, 0}));
  EXPECT_EQ(port2->values().front().name, "DriverDesc");  // file order kept

  const RegistryKey* network = tree.find(kNetwork);
  ASSERT_NE(network, nullptr);
  EXPECT_EQ(subkeyNames(*network), (std::vector<std::string>{"{1A2B3C4D-0001-4E5F-8A9B-0C1D2E3F4A51}",
                                                             "{1A2B3C4D-0002-4E5F-8A9B-0C1D2E3F4A52}",
                                                             "{7F3E9C21-5B4A-4D8E-9F10-2A3B4C5D6E7F}"}));
  const RegistryKey* connection =
      tree.find(kNetwork + "\\{1a2b3c4d-0002-4e5f-8a9b-0c1d2e3f4a52}\\CONNECTION");
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(connection->findValue("Name")->data, utf16z(u"Local Area Connection 2"));
  EXPECT_EQ(connection->findValue("PnpInstanceID")->data,
            utf16z(u"PCI\\VEN_4040&DEV_0100&SUBSYS_01264040&REV_42\\4&1B2C3D4E&0&0128"));

  // Parents only implied by deeper sections exist but are no sections.
  const RegistryKey* control = tree.find("system\\currentcontrolset\\control");
  ASSERT_NE(control, nullptr);
  EXPECT_FALSE(control->isSection());
  EXPECT_EQ(subkeyNames(*control), (std::vector<std::string>{"Class", "Network"}));

  EXPECT_EQ(formatRegistryExport(tree), text);
}

// What the registry editor itself writes for these values: the wrapping of
// the two long ones pins down where it breaks hex lines.
TEST(RegistryExport, WritesValuesAsTheRegistryEditorDoes) {
  RegistryTree tree;
  RegistryKey& base = tree.create("SOFTWARE\\Test");
  base.setValue("DWORD", kRegDword, {0x00, 0x01, 0x00, 0x00});
  base.setValue("String", kRegSz, utf16z(u"Your text here..."));
  RegistryKey& quotes = tree.create("SOFTWARE\\Test\\Subkey2a");
  quotes.setValue("double\"quote", kRegSz, utf16z(u"\"Hello, World!\""));
  RegistryKey& multi = tree.create("SOFTWARE\\Test\\Subkey2a\\Subkey2b");
  multi.setValue("", kRegSz, utf16z(u"Default value name"));
  multi.setValue("Multiple strings", kRegMultiSz, utf16ToLeBytes(withNuls(u"Line1\0Line2\0Line3\0\0")));
  RegistryKey& backslash = tree.create("SOFTWARE\\Test\\Subkey3a");
  backslash.setValue("Backslash", kRegSz, utf16z(u"Use \\\\ to escape a backslash"));
  RegistryKey& expand = tree.create("SOFTWARE\\Test\\Subkey3a\\Subkey3b\\Subkey3c");
  expand.setValue("String expansion", kRegExpandSz, utf16z(u"%HOME%\\%PATH%"));
  expand.setValue("Zero data type", kRegNone, {'V', 'a', 'l', 'u', 'e', 0});
  RegistryKey& other = tree.create("SOFTWARE\\Test\\Subkey4");
  other.setValue("", kRegDword, {0x78, 0x56, 0x34, 0x12});
  other.setValue("43981", 0xabcd, {'V', 'a', 'l', 'u', 'e', 0});
  tree.create("SOFTWARE\\Test\\Subkey3a\\Subkey3b").markSection();

  const std::string expected = crlf(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\n"
      "\"DWORD\"=dword:00000100\n"
      "\"String\"=\"Your text here...\"\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Subkey2a]\n"
      "\"double\\\"quote\"=\"\\\"Hello, World!\\\"\"\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Subkey2a\\Subkey2b]\n"
      "@=\"Default value name\"\n"
      "\"Multiple strings\"=hex(7):4c,00,69,00,6e,00,65,00,31,00,00,00,4c,00,69,00,6e,\\\n"
      "  00,65,00,32,00,00,00,4c,00,69,00,6e,00,65,00,33,00,00,00,00,00\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Subkey3a]\n"
      "\"Backslash\"=\"Use \\\\\\\\ to escape a backslash\"\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Subkey3a\\Subkey3b]\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Subkey3a\\Subkey3b\\Subkey3c]\n"
      "\"String expansion\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,5c,00,25,00,50,\\\n"
      "  00,41,00,54,00,48,00,25,00,00,00\n"
      "\"Zero data type\"=hex(0):56,61,6c,75,65,00\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Subkey4]\n"
      "@=dword:12345678\n"
      "\"43981\"=hex(abcd):56,61,6c,75,65,00\n\n");
  EXPECT_EQ(formatRegistryExport(tree), expected);
}

// Whatever the store holds must come back from its own file exactly, however
// long the data and the name in front of it.
TEST(RegistryExport, EveryValueSurvivesWriteAndRead) {
  RegistryTree tree;
  RegistryKey& key = tree.create("SOFTWARE\\Lengths");
  for (size_t nameLength : {1u, 20u, 60u, 75u, 90u}) {
    for (size_t size : {0u, 1u, 2u, 3u, 20u, 21u, 22u, 23u, 24u, 25u, 26u, 47u, 48u, 49u, 200u}) {
      std::vector<uint8_t> data(size);
      for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(i * 37 + nameLength);
      const std::string name = std::string(nameLength, 'n') + std::to_string(size);
      key.setValue(name, size % 2 ? kRegBinary : kRegMultiSz, data);
    }
  }
  RegistryKey& odd = tree.create("SOFTWARE\\Odd texts");
  const std::vector<std::vector<uint8_t>> texts = {
      {},                               // empty data
      {'a', 0},                         // odd length
      {'a', 0, 'b', 0},                 // no terminating NUL
      {'a', 0, 0, 0, 'b', 0, 0, 0},     // embedded NUL
      {'a', 0, '\n', 0, 'b', 0, 0, 0},  // line break
      {0x00, 0xD8, 0, 0},               // unpaired surrogate
  };
  for (size_t i = 0; i < texts.size(); ++i) odd.setValue("t" + std::to_string(i), kRegSz, texts[i]);
  odd.setValue("short dword", kRegDword, {1, 2, 3});
  odd.setValue("unicode \xC3\xA9\xE2\x82\xAC", kRegSz, utf16z(u"caf\u00e9 \u20ac \U0001F600"));

  const std::string text = formatRegistryExport(tree);
  RegistryTree back;
  std::string error;
  ASSERT_TRUE(parseRegistryExport(text, "registry.reg", &back, &error)) << error;
  for (const char* path : {"SOFTWARE\\Lengths", "SOFTWARE\\Odd texts"}) {
    ASSERT_NE(back.find(path), nullptr);
    EXPECT_EQ(back.find(path)->values(), tree.find(path)->values()) << path;
  }
  EXPECT_EQ(formatRegistryExport(back), text);

  // Hex lines stay within 80 characters while the name leaves room.
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    const std::string line = text.substr(start, end - start);
    const size_t hex = line.find("=hex");
    if (line.starts_with("  ")) {
      EXPECT_LE(line.size(), 78u) << line;
    } else if (hex != std::string::npos && hex < 70) {
      EXPECT_LE(line.size(), 80u) << line;
    }
    start = end + 2;
  }
}

TEST(RegistryExport, SubkeysEnumerateCaseInsensitivelyAndKeepTheirSpelling) {
  RegistryTree tree;
  for (const char* name : {"b", "_tail", "A", "a1", "Zeta", "\xC3\xA9t\xC3\xA9"})
    tree.create(std::string("K\\") + name);
  tree.create("k\\B");  // the same key as "b"
  EXPECT_EQ(subkeyNames(*tree.find("K")),
            (std::vector<std::string>{"A", "a1", "b", "Zeta", "_tail", "\xC3\xA9t\xC3\xA9"}));
  EXPECT_NE(tree.find("K\\\xC3\x89T\xC3\x89"), nullptr);  // É matches é

  RegistryKey& key = *tree.find("k");
  EXPECT_TRUE(key.setValue("Speed", kRegDword, {1, 0, 0, 0}));
  EXPECT_TRUE(key.setValue("Duplex", kRegDword, {2, 0, 0, 0}));
  EXPECT_TRUE(key.setValue("SPEED", kRegDword, {3, 0, 0, 0}));
  EXPECT_FALSE(key.setValue("speed", kRegDword, {3, 0, 0, 0}));
  ASSERT_EQ(key.values().size(), 2u);
  EXPECT_EQ(key.values()[0].name, "Speed");
  EXPECT_EQ(key.values()[0].data[0], 3);
  EXPECT_TRUE(key.deleteValue("sPeEd"));
  EXPECT_FALSE(key.deleteValue("Speed"));
  EXPECT_TRUE(tree.remove("K\\a1"));
  EXPECT_EQ(tree.find("K\\A1"), nullptr);
  EXPECT_FALSE(tree.remove(""));
}

TEST(RegistryExport, AcceptsOtherEncodingsLineEndsAndImportLines) {
  const std::string canonical = crlf(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane]\n"
      "\"Path\"=\"C:\\\\Program Files\\\\Corvane\"\n"
      "\"Data\"=hex:01,02,03\n\n");
  const std::string lf =
      "Windows Registry Editor Version 5.00\n\n"
      "; comment lines and odd spacing are fine\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane]\n"
      "\"Path\"=\"C:\\\\Program Files\\\\Corvane\"\n"
      "\"Gone\"=dword:1\n"
      "\"Data\" = hex:01, 02,\\\n"
      "    03\n"
      "\"Gone\"=-\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Old\\Deeper]\n"
      "\"x\"=\"y\"\n"
      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Old]\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : canonical) utf16 += std::string{c, '\0'};

  const std::vector<std::pair<const char*, std::string>> inputs = {
      {"canonical", canonical},
      {"LF, comments, deletions", lf},
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + canonical},
      {"UTF-16LE with BOM", utf16},
  };
  for (const auto& [label, input] : inputs) {
    RegistryTree tree;
    std::string error;
    ASSERT_TRUE(parseRegistryExport(input, "in.reg", &tree, &error)) << label << ": " << error;
    EXPECT_EQ(formatRegistryExport(tree), canonical) << label;
  }
}

TEST(RegistryExport, MalformedInputGivesOneMessageWithFileAndLine) {
  const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
  const std::string section = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n";
  struct Case {
    std::string text;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"", "line 1: empty file (expected \"Windows Registry Editor Version 5.00\")"},
      {"REGEDIT4\r\n\r\n",
       "line 1: REGEDIT4 exports are not supported (expected \"Windows Registry Editor Version 5.00\")"},
      {"Windows Registry\r\n",
       "line 1: not a registry export: expected \"Windows Registry Editor Version 5.00\", found "
       "\"Windows Registry\""},
      {header + "\"Name\"=\"v\"\r\n", "line 3: value line outside a key section"},
      {header + "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n\"a\"=\"b\"\r\n",
       "line 4: value line under a key deletion section"},
      {header + "[HKEY_CURRENT_USER\\Software]\r\n",
       "line 3: only HKEY_LOCAL_MACHINE is stored, not \"HKEY_CURRENT_USER\""},
      {header + "[HKEY_LOCAL_MACHINE\\SOFTWARE\r\n", "line 3: key section without a closing ']'"},
      {header + "[HKEY_LOCAL_MACHINE\\SOFTWARE] x\r\n", "line 3: text after the key section's ']'"},
      {header + "[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n",
       "line 3: empty key name in \"HKEY_LOCAL_MACHINE\\A\\\\B\""},
      {header + "[]\r\n", "line 3: key section names no key"},
      {header + "[-HKEY_LOCAL_MACHINE]\r\n", "line 3: HKEY_LOCAL_MACHINE itself cannot be deleted"},
      {header + section + "\"Path\"=\"C:\\Windows\"\r\n",
       "line 4: unknown escape \"\\W\" in quoted text (write a backslash as \\\\ and a quote as \\\")"},
      {header + section + "\"Path=\"x\r\n", "line 4: expected '=' after the value name"},
      {header + section + "\"Path\r\n", "line 4: quoted text without its closing '\"'"},
      {header + section + "\"P\"=\"x\" y\r\n", "line 4: text after the closing '\"'"},
      {header + section + "\"P\"=dword:123456789\r\n",
       "line 4: dword value needs 1 to 8 hex digits, found \"123456789\""},
      {header + section + "\"P\"=dword:\r\n", "line 4: dword value needs 1 to 8 hex digits, found \"\""},
      {header + section + "\"P\"=hex:01,\\\r\n  zz\r\n",
       "line 4: bad hex byte \"zz\" (expected two hex digits per byte)"},
      {header + section + "\"P\"=hex:01,,02\r\n",
       "line 4: bad hex byte \"\" (expected two hex digits per byte)"},
      {header + section + "\"P\"=hex(x):01\r\n", "line 4: value type in hex(N) must be 1 to 8 hex digits"},
      {header + section + "\"P\"=hex;01\r\n", "line 4: expected ':' after hex or hex(N)"},
      {header + section + "\"P\"=hex:01,\\\r\n", "line 4: hex data continues past the end of the file"},
      {header + section + "\"P\"=str:x\r\n",
       "line 4: unknown value data \"str:x\" (expected \"text\", dword:, hex:, hex(N): or -)"},
      {header + section + "\"P\"=\r\n",
       "line 4: unknown value data \"\" (expected \"text\", dword:, hex:, hex(N): or -)"},
      {header + section + "garbage\r\n",
       "line 4: unexpected text \"garbage\" (expected a [key] section or a \"name\"=value line)"},
      {header + section + "\"P\"=\"caf\xE9\"\r\n", "line 4: text is not valid UTF-8"},
      {header + std::string("[\0H]\r\n", 6),
       "line 3: NUL character in the text (UTF-16 files need their byte order mark)"},
  };
  for (const Case& c : cases) {
    RegistryTree tree;
    std::string error;
    EXPECT_FALSE(parseRegistryExport(c.text, "/hosts/a/registry.reg", &tree, &error)) << c.message;
    EXPECT_EQ(error, "/hosts/a/registry.reg " + c.message);
  }

  const std::vector<std::pair<std::string, std::string>> encodings = {
      {std::string("\xFE\xFF\0W", 4), "big-endian UTF-16 is not supported (save as UTF-8 or UTF-16LE)"},
      {"\xFF\xFEW", "UTF-16 text with an odd number of bytes"},
      {std::string("\xFF\xFE\x00\xDCW\0", 6), "UTF-16 text with an unpaired surrogate"},
  };
  for (const auto& [text, message] : encodings) {
    RegistryTree tree;
    std::string error;
    EXPECT_FALSE(parseRegistryExport(text, "r.reg", &tree, &error));
    EXPECT_EQ(error, "r.reg: " + message);
  }
}

}  // namespace
}  // namespace simhost
