// The Wine registry file reader, on the file a real Wine 8 prefix wrote and on files written here
// in the same format with every edge the format allows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/posix/wine_registry_file.h"
#include "text/utf16_text.h"

namespace kelvo::platform::wine {
namespace {

using text::Utf16ToUtf8;

using ::testing::ElementsAre;

constexpr char kHead[] =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\Machine\n"
    "\n"
    "#arch=win64\n"
    "\n";

std::vector<std::uint8_t> Utf16Data(std::u16string_view text) {
  std::vector<std::uint8_t> data;
  for (char16_t c : text) {
    data.push_back(static_cast<std::uint8_t>(c & 0xFF));
    data.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  data.push_back(0);
  data.push_back(0);
  return data;
}

WineRegistryFile ParseOk(const std::string& text) {
  auto file = WineRegistryFile::Parse(text);
  EXPECT_TRUE(file) << file.error();
  return file ? std::move(*file) : WineRegistryFile{};
}

std::vector<std::string> ValueNames(const RegistryKeyRecord& key) {
  std::vector<std::string> names;
  for (const auto& v : key.values()) names.push_back(Utf16ToUtf8(v.name));
  return names;
}

std::string ProblemLines(const WineRegistryFile& file) {
  std::string out;
  for (const auto& p : file.problems()) out += std::to_string(p.line) + ": " + p.message + "\n";
  return out;
}

TEST(WineRegistryFileReal, ReadsTheFileWine8Wrote) {
  std::ifstream in(KELVO_WINE_SYSTEM_REG, std::ios::binary);
  ASSERT_TRUE(in) << "the Wine fixture is not at " << KELVO_WINE_SYSTEM_REG;
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string text = buffer.str();

  const WineRegistryFile file = ParseOk(text);
  EXPECT_EQ(file.problemCount(), 0u) << ProblemLines(file);

  // Every value line of the file became a value.
  std::size_t valueLines = 0, sections = 0;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && (line[0] == '"' || line[0] == '@')) ++valueLines;
    if (!line.empty() && line[0] == '[') ++sections;
  }
  std::size_t values = 0;
  for (const auto& key : file.keys()) values += key.values().size();
  EXPECT_EQ(values, valueLines);
  EXPECT_GE(file.keys().size(), sections);

  const auto* shared = file.FindKey(u"software\\MICROSOFT\\Windows\\CurrentVersion\\SharedDLLs");
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(shared->path(), u"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
  EXPECT_THAT(
      ValueNames(*shared),
      ElementsAre("C:\\Program Files\\Demo\\helper.ocx", "C:\\Program Files\\Demo\\演示.dll",
                  "C:\\windows\\system32\\orphan.dll", "C:\\windows\\system32\\used.dll"));
  EXPECT_EQ(shared->values()[0].type, 1u);
  EXPECT_EQ(shared->values()[0].data, Utf16Data(u"0"));
  EXPECT_EQ(shared->values()[1].type, 4u);
  EXPECT_THAT(shared->values()[1].data, ElementsAre(0, 0, 0, 0));
  EXPECT_THAT(shared->values()[3].data, ElementsAre(3, 0, 0, 0));

  // Continued hex data, a multi-string, a link key, a default value, escaped quotes.
  const auto* filter = file.FindKey(
      u"Software\\Classes\\CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance\\"
      u"{1B544C20-FD0B-11CE-8C63-00AA0044B51E}");
  ASSERT_NE(filter, nullptr);
  ASSERT_NE(filter->FindValue(u"filterdata"), nullptr);
  EXPECT_EQ(filter->FindValue(u"FilterData")->type, 3u);
  EXPECT_EQ(filter->FindValue(u"FilterData")->data.size(), 160u);
  EXPECT_THAT(ValueNames(*filter), ElementsAre("CLSID", "FilterData", "FriendlyName"));

  const auto* revocation = file.FindKey(
      u"Software\\Microsoft\\Cryptography\\OID\\EncodingType 1\\"
      u"CertDllVerifyRevocation\\DEFAULT");
  ASSERT_NE(revocation, nullptr);
  ASSERT_NE(revocation->FindValue(u"Dll"), nullptr);
  EXPECT_EQ(revocation->FindValue(u"Dll")->type, 7u);
  EXPECT_EQ(revocation->FindValue(u"Dll")->data, Utf16Data(std::u16string(u"cryptnet.dll\0", 13)));

  const auto* link = file.FindKey(u"Software\\Classes\\Wow6432Node\\AppId");
  ASSERT_NE(link, nullptr);
  ASSERT_NE(link->FindValue(u"SymbolicLinkValue"), nullptr);
  EXPECT_EQ(link->FindValue(u"SymbolicLinkValue")->type, 6u);

  const auto* chm = file.FindKey(u"Software\\Classes\\.chm");
  ASSERT_NE(chm, nullptr);
  ASSERT_NE(chm->FindValue(u""), nullptr);
  EXPECT_EQ(chm->FindValue(u"")->data, Utf16Data(u"chm.file"));

  EXPECT_NE(file.FindKey(u"Software"), nullptr);  // implied parents exist
  EXPECT_NE(file.FindKey(u""), nullptr);
  EXPECT_EQ(file.FindKey(u"Software\\NoSuchVendor"), nullptr);
}

TEST(WineRegistryFile, DecodesEscapesInNamesAndStrings) {
  const std::string text = std::string(kHead) +
                           "[Software\\\\Kelvo\\\\Esc\\\\\\x6f14\\x793a] 1796680555\n"
                           "#time=1dd8695bbf5fea4\n"
                           "\"back\\\\slash\"=\"a\\\"quoted\\\" word\"\n"
                           "\"C:\\\\Program Files\\\\\\x6f14\\x793a.dll\"=dword:00000000\n"
                           "\"\\x00e9t\\x00e9\"=\"caf\\xe9\"\n"
                           "\"ctl\"=\"\\t\\n\\r\\a\\0end\"\n"
                           "\"raw 中文\"=\"直接\"\n"
                           "\"short\\x41\\x4g\"=\"\"\n"
                           "\"astral\"=\"\\xd83d\\xde00\"\n";
  const WineRegistryFile file = ParseOk(text);
  EXPECT_EQ(file.problemCount(), 0u) << ProblemLines(file);
  const auto* key = file.FindKey(u"Software\\Kelvo\\Esc\\演示");
  ASSERT_NE(key, nullptr);
  EXPECT_THAT(ValueNames(*key), ElementsAre("back\\slash", "C:\\Program Files\\演示.dll", "été",
                                            "ctl", "raw 中文", "shortA\x04g", "astral"));
  EXPECT_EQ(key->FindValue(u"BACK\\SLASH")->data, Utf16Data(u"a\"quoted\" word"));
  EXPECT_EQ(key->FindValue(u"ÉTÉ")->data, Utf16Data(u"caf\u00e9"));
  EXPECT_EQ(key->FindValue(u"ctl")->data, Utf16Data(std::u16string(u"\t\n\r\a\0end", 8)));
  EXPECT_EQ(key->FindValue(u"raw 中文")->data, Utf16Data(u"直接"));
  EXPECT_EQ(key->FindValue(u"astral")->data, Utf16Data(u"\U0001F600"));
  EXPECT_EQ(Utf16ToUtf8(key->values()[1].name), "C:\\Program Files\\演示.dll");
}

TEST(WineRegistryFile, ReadsEveryDataForm) {
  const std::string text =
      std::string(kHead) +
      "[Software\\\\Forms] 1796680555\n"
      "#time=1dd8695bbf5fea4\n"
      "#class=\"ignored\"\n"
      "@=\"default\"\n"
      "\"sz\"=\"text\"\n"
      "\"empty\"=\"\"\n"
      "\"expand\"=str(2):\"%SystemRoot%\\\\x\"\n"
      "\"multi\"=str(7):\"a\\0b\\0\"\n"
      "\"dword\"=dword:deadBEEF\n"
      "\"bin\"=hex:01,02,ff\n"
      "\"nobytes\"=hex:\n"
      "\"long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,\\\n"
      "  14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,\\\n"
      "  28\n"
      "\"qword\"=hex(b):01,00,00,00,00,00,00,00\n"
      "\"odd\"=hex(100000):aa\n"
      "\"multihex\"=hex(7):61,00,00,00,00,00\n"
      "\"after\"=dword:00000001\n";
  const WineRegistryFile file = ParseOk(text);
  EXPECT_EQ(file.problemCount(), 0u) << ProblemLines(file);
  const auto* key = file.FindKey(u"Software\\Forms");
  ASSERT_NE(key, nullptr);
  EXPECT_THAT(ValueNames(*key),
              ElementsAre("", "sz", "empty", "expand", "multi", "dword", "bin", "nobytes", "long",
                          "qword", "odd", "multihex", "after"));
  const auto& v = key->values();
  EXPECT_EQ(v[0].type, 1u);
  EXPECT_EQ(v[0].data, Utf16Data(u"default"));
  EXPECT_EQ(v[2].data, Utf16Data(u""));
  EXPECT_EQ(v[3].type, 2u);
  EXPECT_EQ(v[3].data, Utf16Data(u"%SystemRoot%\\x"));
  EXPECT_EQ(v[4].type, 7u);
  EXPECT_EQ(v[4].data, Utf16Data(std::u16string(u"a\0b\0", 4)));
  EXPECT_EQ(v[5].type, 4u);
  EXPECT_THAT(v[5].data, ElementsAre(0xEF, 0xBE, 0xAD, 0xDE));
  EXPECT_EQ(v[6].type, 3u);
  EXPECT_THAT(v[6].data, ElementsAre(1, 2, 0xFF));
  EXPECT_TRUE(v[7].data.empty());
  ASSERT_EQ(v[8].data.size(), 41u);
  for (std::size_t i = 0; i < 41; ++i) EXPECT_EQ(v[8].data[i], i);
  EXPECT_EQ(v[9].type, 0xBu);
  EXPECT_EQ(v[10].type, 0x100000u);
  EXPECT_EQ(v[11].type, 7u);
  EXPECT_THAT(v[12].data, ElementsAre(1, 0, 0, 0));
}

TEST(WineRegistryFile, KeysAndValuesCompareIgnoringCaseAndMerge) {
  const std::string text = std::string(kHead) +
                           "[Software\\\\A\\\\B] 1\n"
                           "\"x\"=dword:00000001\n"
                           "\"Y\"=dword:00000002\n"
                           "\r\n"
                           "[software\\\\a\\\\b] 2\r\n"
                           "\"X\"=dword:00000003\r\n"
                           "\"z\"=dword:00000004\r\n";
  const WineRegistryFile file = ParseOk(text);
  EXPECT_EQ(file.problemCount(), 0u) << ProblemLines(file);
  const auto* key = file.FindKey(u"SOFTWARE\\a\\B");
  ASSERT_NE(key, nullptr);
  EXPECT_THAT(ValueNames(*key), ElementsAre("X", "Y", "z"));  // replaced in its place
  EXPECT_THAT(key->FindValue(u"x")->data, ElementsAre(3, 0, 0, 0));
  EXPECT_NE(file.FindKey(u"software\\A"), nullptr);
  EXPECT_TRUE(file.FindKey(u"software\\A")->values().empty());
}

TEST(WineRegistryFile, RefusesAFileWithoutTheHeader) {
  const auto empty = WineRegistryFile::Parse("");
  ASSERT_FALSE(empty);
  EXPECT_THAT(empty.error(), ::testing::HasSubstr("not a Wine registry file"));
  const auto regedit = WineRegistryFile::Parse("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n");
  ASSERT_FALSE(regedit);
  EXPECT_THAT(regedit.error(), ::testing::HasSubstr("not a Wine registry file"));
  const auto older = WineRegistryFile::Parse("WINE REGISTRY Version 1\n");
  ASSERT_FALSE(older);
  EXPECT_THAT(older.error(), ::testing::HasSubstr("unsupported"));
  EXPECT_TRUE(WineRegistryFile::Parse("WINE REGISTRY Version 2"));
  EXPECT_TRUE(WineRegistryFile::Parse("WINE REGISTRY Version 2\r\n"));
}

TEST(WineRegistryFile, AMissingSectionIsAMissingKey) {
  const std::string text = std::string(kHead) +
                           "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run] 1\n"
                           "\"x\"=\"y\"\n";
  const WineRegistryFile file = ParseOk(text);
  EXPECT_EQ(file.FindKey(u"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs"), nullptr);
  EXPECT_NE(file.FindKey(u"Software\\Microsoft\\Windows\\CurrentVersion"), nullptr);
}

TEST(WineRegistryFile, SkipsAndNotesLinesItCannotRead) {
  const std::string text = std::string(kHead) +
                           "\"before\"=\"any key\"\n"            // 6
                           "[Software\\\\Good] 1\n"              // 7
                           "\"ok1\"=dword:00000001\n"            // 8
                           "garbage here\n"                      // 9
                           "\"noequals\"\n"                      // 10
                           "\"unterminated=\"x\n"                // 11
                           "\"badword\"=dword:xyz\n"             // 12
                           "\"bigword\"=dword:123456789\n"       // 13
                           "\"badhex\"=hex:0g,01\n"              // 14
                           "\"openstr\"=\"abc\n"                 // 15
                           "\"tail\"=\"abc\" trailing\n"         // 16
                           "\"what\"=float:1.0\n"                // 17
                           "\"cut\"=hex:01,02,\\\n"              // 18
                           "\"ok2\"=dword:00000002\n"            // 19
                           "[Software\\\\Broken\n"               // 20
                           "\"lost\"=dword:00000003\n"           // 21
                           "[Software\\\\\\\\Empty] 1\n"         // 22
                           "[Software\\\\Good\\\\Sub] 1 junk\n"  // 23
                           "\"lost2\"=dword:00000004\n"          // 24
                           "[Software\\\\Good\\\\Sub2] 1\n"      // 25
                           "\"ok3\"=dword:00000005\n"            // 26
                           "\"endslash\"=\"abc\\\n";             // 27
  const WineRegistryFile file = ParseOk(text);
  const auto* good = file.FindKey(u"Software\\Good");
  ASSERT_NE(good, nullptr);
  EXPECT_THAT(ValueNames(*good), ElementsAre("ok1", "ok2"));
  EXPECT_EQ(file.FindKey(u"Software\\Broken"), nullptr);
  EXPECT_EQ(file.FindKey(u"Software\\Good\\Sub"), nullptr);
  ASSERT_NE(file.FindKey(u"Software\\Good\\Sub2"), nullptr);
  EXPECT_THAT(ValueNames(*file.FindKey(u"Software\\Good\\Sub2")), ElementsAre("ok3"));
  std::vector<std::size_t> lines;
  for (const auto& p : file.problems()) lines.push_back(p.line);
  EXPECT_THAT(lines, ElementsAre(6, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20, 21, 22, 23, 24, 27))
      << ProblemLines(file);
}

// A file cut at any byte still parses to the keys and values that were complete before the cut.
TEST(WineRegistryFile, ATruncatedFileKeepsWhatCameBeforeTheCut) {
  const std::string text = std::string(kHead) +
                           "[Software\\\\First] 1\n"
                           "#time=1dd8695bbf5fea4\n"
                           "\"a\"=dword:00000000\n"
                           "\"\\x6f14\"=hex:01,02,03,04,05,06,07,08,09,10,11,12,13,14,15,16,17,\\\n"
                           "  18,19,20\n"
                           "[Software\\\\Second] 1\n"
                           "\"b\"=str(2):\"%x%\"\n";
  const std::vector<std::uint8_t> full = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                                          0x08, 0x09, 0x10, 0x11, 0x12, 0x13, 0x14,
                                          0x15, 0x16, 0x17, 0x18, 0x19, 0x20};
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    auto file = WineRegistryFile::Parse(std::string_view(text).substr(0, cut));
    if (cut < std::string_view("WINE REGISTRY Version 2").size()) {
      EXPECT_FALSE(file) << cut;
      continue;
    }
    ASSERT_TRUE(file) << cut << ": " << file.error();
    const std::size_t secondDone = text.size();
    if (cut >= secondDone) {
      EXPECT_EQ(file->problemCount(), 0u) << ProblemLines(*file);
      ASSERT_NE(file->FindKey(u"Software\\Second"), nullptr);
      EXPECT_EQ(file->FindKey(u"Software\\Second")->values().size(), 1u);
    }
    if (const auto* first = file->FindKey(u"Software\\First")) {
      for (const auto& v : first->values()) {
        if (v.name == u"a") {
          EXPECT_THAT(v.data, ElementsAre(0, 0, 0, 0)) << cut;
        }
        if (v.name == u"\u6f14") {  // a cut right after a comma or "hex:" is not detectable
          ASSERT_LE(v.data.size(), full.size()) << cut;
          EXPECT_TRUE(std::equal(v.data.begin(), v.data.end(), full.begin())) << cut;
        }
      }
    }
  }
}

TEST(WineRegistryFile, ContinuationIntoTheNextSectionIsRefused) {
  const std::string text = std::string(kHead) +
                           "[Software\\\\A] 1\n"
                           "\"x\"=hex:01,\\\n"
                           "[Software\\\\B] 1\n"
                           "\"y\"=dword:00000001\n";
  const WineRegistryFile file = ParseOk(text);
  EXPECT_TRUE(file.FindKey(u"Software\\A")->values().empty());
  ASSERT_NE(file.FindKey(u"Software\\B"), nullptr);
  EXPECT_THAT(ValueNames(*file.FindKey(u"Software\\B")), ElementsAre("y"));
  EXPECT_EQ(file.problemCount(), 1u);
}

TEST(WineRegistryFile, KeepsTheFirstHundredProblemsAndCountsAll) {
  std::string text = std::string(kHead) + "[Software] 1\n";
  for (int i = 0; i < 250; ++i) text += "nonsense\n";
  const WineRegistryFile file = ParseOk(text);
  EXPECT_EQ(file.problemCount(), 250u);
  EXPECT_EQ(file.problems().size(), 100u);
}

TEST(DecodeEscapedText, StopsAtTheClosingCharacter) {
  std::u16string out;
  EXPECT_EQ(DecodeEscapedText("ab\"rest", '"', out), 3u);
  EXPECT_EQ(out, u"ab");
  out.clear();
  EXPECT_EQ(DecodeEscapedText("a\\]b] 1", ']', out), 5u);
  EXPECT_EQ(out, u"a]b");
  out.clear();
  EXPECT_FALSE(DecodeEscapedText("abc", '"', out));
  EXPECT_FALSE(DecodeEscapedText("abc\\", '"', out));
  out.clear();
  EXPECT_EQ(DecodeEscapedText("\\x\"", '"', out), 3u);  // \x without digits is an x
  EXPECT_EQ(out, u"x");
  out.clear();
  EXPECT_EQ(DecodeEscapedText("\xff\xc3\"", '"', out), 3u);  // bad UTF-8 bytes
  EXPECT_EQ(out, u"\uFFFD\uFFFD");
  out.clear();
  EXPECT_EQ(DecodeEscapedText("\\101\\0\\777\"", '"', out), 11u);  // octal
  EXPECT_EQ(out, std::u16string(u"A\0\u01ff", 3));
}

}  // namespace
}  // namespace kelvo::platform::wine
