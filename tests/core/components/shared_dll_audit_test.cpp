// The shared-DLL audit over registries held in memory, with faults injected into the registry
// calls.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "components/shared_dll_audit.h"
#include "platform/posix/wine_prefix.h"
#include "platform/posix/wine_registry_file.h"
#include "scan/driver.h"
#include "support/memory_file_system.h"
#include "support/recording_scan.h"

namespace kelvo::components {
namespace {

using platform::RegKey;
using platform::RegStatus;
using platform::wine::WineRegistryFile;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Keeps the row count shown at every tick.
class CountingSink : public testing::RecordingScan {
 public:
  void ProgressTick() override {
    RecordingScan::ProgressTick();
    counts.push_back(junkCount);
  }
  std::vector<std::size_t> counts;
};

std::string SharedDllsFile(const std::string& valueLines) {
  return "WINE REGISTRY Version 2\n"
         ";; All keys relative to REGISTRY\\\\Machine\n"
         "\n"
         "#arch=win64\n"
         "\n"
         "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\SharedDLLs] 1796680555\n"
         "#time=1dd8695bbf5fea4\n" +
         valueLines + "\n";
}

std::unique_ptr<platform::WineRegistry> RegistryOf(const std::string& text) {
  auto parsed = WineRegistryFile::Parse(text);
  EXPECT_TRUE(parsed) << parsed.error();
  EXPECT_EQ(parsed->problemCount(), 0u) << parsed->problems().front().message;
  auto file = std::make_shared<const WineRegistryFile>(std::move(*parsed));
  return platform::WineRegistry::WithLoader([file](platform::RegRoot root, RegStatus& status) {
    status = root == platform::RegRoot::kLocalMachine ? platform::kRegSuccess
                                                      : platform::kRegFileNotFound;
    return root == platform::RegRoot::kLocalMachine ? file : nullptr;
  });
}

// Passes every call through, counting opens and closes; fails the calls it is told to fail.
class FaultyRegistry final : public platform::Registry {
 public:
  explicit FaultyRegistry(platform::Registry& inner) : inner_(inner) {}

  Result<RegKey, RegStatus> OpenKey(platform::RegRoot root, NativeStringView subkey,
                                    std::uint32_t access) override {
    ++opens;
    if (access == platform::kKeyRead && failReadOpens)
      return Unexpected<RegStatus>{platform::kRegAccessDenied};
    auto key = inner_.OpenKey(root, subkey, access);
    if (key) ++openNow;
    return key;
  }
  Result<platform::RegEntry, RegStatus> ValueAt(RegKey key, std::uint32_t index) override {
    if (tooLargeAt && *tooLargeAt == index) return Unexpected<RegStatus>{platform::kRegMoreData};
    if (failEnumAt && *failEnumAt == index) return Unexpected<RegStatus>{platform::kRegCorrupt};
    return inner_.ValueAt(key, index);
  }
  Result<platform::RegEntry, RegStatus> Value(RegKey key, NativeStringView name) override {
    auto it = failQuery.find(NativeToUtf8(name));
    if (it != failQuery.end()) return Unexpected<RegStatus>{it->second};
    return inner_.Value(key, name);
  }
  RegStatus CloseKey(RegKey key) override {
    RegStatus status = inner_.CloseKey(key);
    if (status == platform::kRegSuccess) --openNow;
    return status;
  }

  int opens = 0;
  int openNow = 0;
  bool failReadOpens = false;
  std::optional<std::uint32_t> tooLargeAt;
  std::optional<std::uint32_t> failEnumAt;
  std::map<std::string, RegStatus> failQuery;  // value name -> the status its read fails with

 private:
  platform::Registry& inner_;
};

std::vector<std::string> Paths(const testing::RecordingScan& controls) {
  std::vector<std::string> out;
  for (const auto& row : controls.rows) out.push_back(NativeToUtf8(row.fullPath));
  return out;
}

struct AuditRun {
  CountingSink controls;
  AuditSummary summary;
  int openAfter = 0;
};

AuditRun Audit(const std::string& valueLines,
               const std::function<void(FaultyRegistry&)>& setUp = {},
               const platform::FileSizeLookup& sizes = {}) {
  auto inner = RegistryOf(SharedDllsFile(valueLines));
  FaultyRegistry registry(*inner);
  if (setUp) setUp(registry);
  AuditRun run;
  run.summary = AuditSharedDlls(run.controls, registry, sizes);
  run.openAfter = registry.openNow;
  EXPECT_EQ(inner->OpenKeyCount(), 0u);
  return run;
}

TEST(SharedDllAudit, ACountOfZeroGivesOneRowAndACountAboveNone) {
  const auto sizes = [](NativeStringView path) -> std::optional<std::uint64_t> {
    if (NativeToUtf8(path) == "C:\\windows\\system32\\orphan.dll") return 4096;
    return std::nullopt;
  };
  AuditRun run = Audit(
      "\"C:\\\\windows\\\\system32\\\\orphan.dll\"=dword:00000000\n"
      "\"C:\\\\windows\\\\system32\\\\used.dll\"=dword:00000003\n"
      "\"NOSLASH.DLL\"=dword:00000000\n"
      "\"C:\\\\Program Files\\\\\\x6f14\\x793a\\\\gone.ocx\"=dword:00000000\n"
      "\"C:\\\\negative.dll\"=dword:ffffffff\n",
      {}, sizes);
  EXPECT_THAT(run.controls.RowTexts(),
              ElementsAre("0|orphan.dll|C:\\windows\\system32\\orphan.dll|冗余的DLL或组件文件|4096",
                          "0|NOSLASH.DLL|NOSLASH.DLL|冗余的DLL或组件文件|",
                          "0|gone.ocx|C:\\Program Files\\演示\\gone.ocx|冗余的DLL或组件文件|"));
  for (const auto& row : run.controls.rows) {
    EXPECT_EQ(row.rule, scan::kAuditRule);
    EXPECT_TRUE(row.root.empty());
    EXPECT_FALSE(row.identity);
  }
  EXPECT_EQ(run.summary.examined, 5u);
  EXPECT_EQ(run.summary.redundant, 3u);
  EXPECT_EQ(run.summary.unreadable, 0u);
  EXPECT_EQ(run.summary.endStatus, platform::kRegNoMoreItems);
  EXPECT_EQ(run.openAfter, 0);
}

TEST(SharedDllAudit, TheJunkCountShowsTheRowCountAfterEveryAttempt) {
  std::string lines;
  for (int i = 0; i < 10; ++i)
    lines += "\"C:\\\\f" + std::to_string(i) + ".dll\"=dword:0000000" +
             std::string(i == 2 || i == 5 || i == 9 ? "0" : "1") + "\n";
  auto inner = RegistryOf(SharedDllsFile(lines));
  CountingSink controls;
  controls.RowFound({});  // a row the scan found before
  AuditSharedDlls(controls, *inner, {});
  EXPECT_THAT(Paths(controls), ElementsAre("", "C:\\f2.dll", "C:\\f5.dll", "C:\\f9.dll"));
  // Ten entries and the attempt that found no more: the row count each time, never one more.
  EXPECT_THAT(controls.counts, ElementsAre(1, 1, 2, 2, 2, 3, 3, 3, 3, 4, 4));
  EXPECT_EQ(controls.junkCount, controls.rows.size());
}

TEST(SharedDllAudit, AnEmptyTableSetsTheCountOnceAndAMissingOneNotAtAll) {
  AuditRun empty = Audit("");
  EXPECT_THAT(empty.controls.rows, IsEmpty());
  EXPECT_THAT(empty.controls.counts, ElementsAre(0));

  auto inner = RegistryOf(
      "WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion] 1\n");
  CountingSink controls;
  AuditSummary summary = AuditSharedDlls(controls, *inner, {});
  EXPECT_EQ(summary.openStatus, platform::kRegFileNotFound);
  EXPECT_THAT(controls.counts, IsEmpty());
  EXPECT_THAT(controls.rows, IsEmpty());
  EXPECT_EQ(inner->OpenKeyCount(), 0u);
}

TEST(SharedDllAudit, LongNamesAndLargeDataDoNotEndTheEnumeration) {
  const std::string longName = "C:\\\\" + std::string(300, 'n') + ".dll";
  const std::string longest = "C:\\\\" + std::string(16370, 'm') + ".dll";
  // 404 bytes, 20 to a line, as Wine breaks them.
  std::string bigData = "hex:00,00,00,00";
  for (int i = 4; i < 404; ++i) bigData += i % 20 == 0 ? ",\\\n  ff" : ",ff";
  AuditRun run =
      Audit("\"" + longName + "\"=dword:00000000\n" + "\"C:\\\\big.dll\"=" + bigData + "\n" + "\"" +
            longest + "\"=dword:00000000\n" + "\"C:\\\\last.dll\"=dword:00000000\n");
  EXPECT_THAT(Paths(run.controls),
              ElementsAre("C:\\" + std::string(300, 'n') + ".dll", "C:\\big.dll",
                          "C:\\" + std::string(16370, 'm') + ".dll", "C:\\last.dll"));
  EXPECT_EQ(NativeToUtf8(run.controls.rows[0].fileName), std::string(300, 'n') + ".dll");
  EXPECT_EQ(run.summary.examined, 4u);
  EXPECT_EQ(run.summary.unreadable, 0u);
}

TEST(SharedDllAudit, AnEntryLargerThanAnyBufferIsSkippedNotTheRest) {
  AuditRun run = Audit(
      "\"C:\\\\a.dll\"=dword:00000000\n"
      "\"C:\\\\b.dll\"=dword:00000000\n",
      [](FaultyRegistry& r) { r.tooLargeAt = 0; });
  EXPECT_THAT(Paths(run.controls), ElementsAre("C:\\b.dll"));
  EXPECT_EQ(run.summary.unreadable, 1u);
  EXPECT_EQ(run.openAfter, 0);
}

TEST(SharedDllAudit, AFailingEnumerationEndsTheAuditAndClosesTheKey) {
  AuditRun run = Audit(
      "\"C:\\\\a.dll\"=dword:00000000\n"
      "\"C:\\\\b.dll\"=dword:00000000\n",
      [](FaultyRegistry& r) { r.failEnumAt = 1; });
  EXPECT_THAT(Paths(run.controls), ElementsAre("C:\\a.dll"));
  EXPECT_EQ(run.summary.endStatus, platform::kRegCorrupt);
  EXPECT_EQ(run.openAfter, 0);
}

TEST(SharedDllAudit, BinaryCountsReadTheirFirstFourBytesLittleEndian) {
  AuditRun run = Audit(
      "\"C:\\\\zero8.dll\"=hex:00,00,00,00,01,02,03,04\n"
      "\"C:\\\\one8.dll\"=hex:01,00,00,00,00,00,00,00\n"
      "\"C:\\\\high.dll\"=hex:00,00,00,01\n"
      "\"C:\\\\zero4.dll\"=hex:00,00,00,00\n"
      "\"C:\\\\zero2.dll\"=hex:00,00\n"
      "\"C:\\\\two2.dll\"=hex:02,00\n"
      "\"C:\\\\nobytes.dll\"=hex:\n");
  EXPECT_THAT(Paths(run.controls), ElementsAre("C:\\zero8.dll", "C:\\zero4.dll", "C:\\zero2.dll"));
  EXPECT_EQ(run.summary.unreadable, 1u);
}

TEST(SharedDllAudit, TextCountsAreReadAsNumbersAndOthersAreNeverListed) {
  AuditRun run = Audit(
      "\"C:\\\\t0.dll\"=\"0\"\n"
      "\"C:\\\\t1.dll\"=\"1\"\n"
      "\"C:\\\\spaces.dll\"=\" 00 \"\n"
      "\"C:\\\\fraction.dll\"=\"0.0\"\n"
      "\"C:\\\\hex.dll\"=\"&H0\"\n"
      "\"C:\\\\expand.dll\"=str(2):\"0\"\n"
      "\"C:\\\\word.dll\"=\"none\"\n"
      "\"C:\\\\empty.dll\"=\"\"\n"
      "\"C:\\\\multi.dll\"=str(7):\"0\\0\"\n"
      "\"C:\\\\qword.dll\"=hex(b):00,00,00,00,00,00,00,00\n"
      "\"C:\\\\big-endian.dll\"=hex(5):00,00,00,00\n"
      "\"C:\\\\none.dll\"=hex(0):00,00,00,00\n"
      "\"C:\\\\after.dll\"=dword:00000001\n");
  EXPECT_THAT(Paths(run.controls), ElementsAre("C:\\t0.dll", "C:\\spaces.dll", "C:\\fraction.dll",
                                               "C:\\hex.dll", "C:\\expand.dll"));
  EXPECT_EQ(run.summary.unreadable, 6u);  // two texts that are not numbers, four other types
}

TEST(SharedDllAudit, AnUnreadableEntryIsNotJudgedByThePreviousOne) {
  const std::string lines =
      "\"C:\\\\first.dll\"=dword:00000000\n"
      "\"C:\\\\zero.dll\"=dword:00000000\n"
      "\"C:\\\\sizefails.dll\"=dword:00000001\n"
      "\"C:\\\\datafails.dll\"=dword:00000001\n"
      "\"C:\\\\one.dll\"=dword:00000001\n"
      "\"C:\\\\afterone.dll\"=\"x\"\n"
      "\"C:\\\\huge.dll\"=dword:00000000\n";
  AuditRun run = Audit(lines, [](FaultyRegistry& r) {
    r.failQuery = {{"C:\\first.dll", platform::kRegAccessDenied},
                   {"C:\\sizefails.dll", platform::kRegFileNotFound},
                   {"C:\\datafails.dll", platform::kRegAccessDenied},
                   {"C:\\huge.dll", platform::kRegMoreData}};
  });
  EXPECT_THAT(Paths(run.controls), ElementsAre("C:\\zero.dll"));
  EXPECT_EQ(run.summary.unreadable, 5u);
  EXPECT_EQ(run.openAfter, 0);  // also the keys of the failed queries

  AuditRun denied = Audit(lines, [](FaultyRegistry& r) { r.failReadOpens = true; });
  EXPECT_THAT(denied.controls.rows, IsEmpty());
  EXPECT_EQ(denied.summary.unreadable, 7u);
  EXPECT_EQ(denied.openAfter, 0);
}

TEST(SharedDllAudit, RunsAtTheEndOfAStoppedScanAndAddsItsRowsAfterTheScanRows) {
  testing::MemoryFileSystem fs;
  testing::MemoryNode& root = fs.AddRoot("/d/");
  root.AddFile("a.tmp");
  root.AddFile("b.tmp");
  auto registry = RegistryOf(SharedDllsFile("\"C:\\\\x.dll\"=dword:00000000\n"));
  CountingSink controls;
  controls.TickAllPatterns(true);
  controls.driveKeys = {"/d/"};
  controls.check4 = true;
  scan::ScanState state;
  controls.onTick = [&](int) { state.SetFlags(scan::kFlagFalse); };  // stop at the first entry
  testing::RunScan(state, controls, fs,
                   [&](scan::ScanSink& c) { AuditSharedDlls(c, *registry, {}); });
  ASSERT_FALSE(controls.rows.empty());
  EXPECT_EQ(controls.rows.back().rule, scan::kAuditRule);
  EXPECT_EQ(NativeToUtf8(controls.rows.back().fullPath), "C:\\x.dll");
  EXPECT_EQ(controls.junkCount, controls.rows.size());
  EXPECT_EQ(controls.events.back(), "row 0 C:\\x.dll");

  controls.check4 = false;  // not ticked: no audit
  controls.rows.clear();
  controls.onTick = {};
  testing::RunScan(state, controls, fs,
                   [&](scan::ScanSink& c) { AuditSharedDlls(c, *registry, {}); });
  for (const auto& row : controls.rows) EXPECT_NE(row.rule, scan::kAuditRule);
}

TEST(SharedDllAudit, ListsTheZeroEntriesOfTheRealWineFile) {
  std::ifstream in(KELVO_WINE_SYSTEM_REG, std::ios::binary);
  ASSERT_TRUE(in) << "the Wine fixture is not at " << KELVO_WINE_SYSTEM_REG;
  std::stringstream text;
  text << in.rdbuf();
  auto registry = RegistryOf(text.str());
  CountingSink controls;
  AuditSummary summary = AuditSharedDlls(controls, *registry, {});
  EXPECT_THAT(controls.RowTexts(),
              ElementsAre("0|helper.ocx|C:\\Program Files\\Demo\\helper.ocx|冗余的DLL或组件文件|",
                          "0|演示.dll|C:\\Program Files\\Demo\\演示.dll|冗余的DLL或组件文件|",
                          "0|orphan.dll|C:\\windows\\system32\\orphan.dll|冗余的DLL或组件文件|"));
  EXPECT_EQ(summary.examined, 4u);
  EXPECT_EQ(registry->OpenKeyCount(), 0u);
}

}  // namespace
}  // namespace kelvo::components
