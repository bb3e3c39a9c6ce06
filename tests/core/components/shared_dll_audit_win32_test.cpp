// The shared-DLL audit against the Windows registry: the test writes its own entries with
// RegSetValueExW into the real table and checks the rows given for them.
#include <windows.h>

#include <algorithm>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "components/shared_dll_audit.h"
#include "support/recording_scan.h"
#include "support/temp_tree.h"

namespace kelvo::components {
namespace {

using ::testing::ElementsAreArray;
using testing::RecordingScan;
using testing::TempTree;

const wchar_t kTable[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// Entries written into the table, removed again at the end.
class SharedDllsTable {
 public:
  SharedDllsTable() {
    status_ = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTable, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &key_, nullptr);
  }
  ~SharedDllsTable() {
    for (const NativeString& name : written_) ::RegDeleteValueW(key_, name.c_str());
    if (status_ == ERROR_SUCCESS) ::RegCloseKey(key_);
  }
  SharedDllsTable(const SharedDllsTable&) = delete;
  SharedDllsTable& operator=(const SharedDllsTable&) = delete;

  bool writable() const { return status_ == ERROR_SUCCESS; }
  void Set(const NativeString& name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(::RegSetValueExW(key_, name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS)
        << NativeToUtf8(name);
    written_.push_back(name);
  }
  void Dword(const NativeString& name, DWORD value) { Set(name, REG_DWORD, &value, sizeof value); }
  void Text(const NativeString& name, const wchar_t* text, DWORD type = REG_SZ) {
    Set(name, type, text, static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
  }

 private:
  HKEY key_ = nullptr;
  LONG status_ = ERROR_SUCCESS;
  std::vector<NativeString> written_;
};

TEST(SharedDllAuditWin32, ListsTheEntriesWhoseCountIsZero) {
  SharedDllsTable table;
  if (!table.writable()) GTEST_SKIP() << "the table cannot be written without administrator rights";
  TempTree tree;
  tree.File("zero.dll", "abc");
  tree.File("text0.ocx", "12345");
  // A value name (the full path) longer than 255 characters.
  const std::string longName = std::string(150, 'f') + "/" + std::string(120, 'n') + ".dll";
  tree.File(longName, "1");

  table.Dword(tree.Path("zero.dll"), 0);
  table.Dword(tree.Path("one.dll"), 1);
  table.Text(tree.Path("text0.ocx"), L"0");
  table.Text(tree.Path("expand0.dll"), L"0", REG_EXPAND_SZ);
  table.Text(tree.Path("word.dll"), L"abc");  // not a number: never listed
  const BYTE binaryZero[] = {0, 0, 0, 0};
  table.Set(tree.Path("bin0.dll"), REG_BINARY, binaryZero, sizeof binaryZero);
  const BYTE binaryOne[] = {1, 0, 0, 0, 0, 0, 0, 0};  // eight bytes, the first four a count of 1
  table.Set(tree.Path("bin1.dll"), REG_BINARY, binaryOne, sizeof binaryOne);
  // More data than the first buffers hold: enumerated and read whole all the same.
  const std::vector<BYTE> bigZero(3000, 0);
  table.Set(tree.Path("big0.dll"), REG_BINARY, bigZero.data(), static_cast<DWORD>(bigZero.size()));
  ASSERT_GT(tree.Path(longName).size(), 255u);
  table.Dword(tree.Path(longName), 0);
  table.Dword(tree.Path("missing.dll"), 0);

  RecordingScan controls;
  const AuditSummary summary =
      AuditSharedDlls(controls, platform::NativeRegistry(), platform::NativeWindowsFileSize);
  EXPECT_EQ(summary.openStatus, platform::kRegSuccess);
  EXPECT_EQ(summary.endStatus, platform::kRegNoMoreItems);

  // The table may hold entries of the system too; only the test's own are looked at.
  std::vector<std::string> rows;
  for (const std::string& row : controls.RowTexts())
    if (row.find(tree.RootUtf8()) != std::string::npos) rows.push_back(row);
  std::sort(rows.begin(), rows.end());
  const auto row = [&](const std::string& relative, const std::string& size) {
    const std::string path = tree.PathUtf8(relative);
    return "0|" + path.substr(path.rfind('\\') + 1) + "|" + path + "|冗余的DLL或组件文件|" + size;
  };
  std::vector<std::string> expected = {
      row("zero.dll", "3"), row("text0.ocx", "5"),  row("expand0.dll", ""), row("bin0.dll", ""),
      row(longName, "1"),   row("missing.dll", ""), row("big0.dll", "")};
  std::sort(expected.begin(), expected.end());
  EXPECT_THAT(rows, ElementsAreArray(expected));
  EXPECT_EQ(controls.junkCount, controls.rows.size());
}

TEST(SharedDllAuditWin32, TheTableIsOnlyRead) {
  SharedDllsTable table;
  if (!table.writable()) GTEST_SKIP() << "the table cannot be written without administrator rights";
  TempTree tree;
  tree.File("kept.dll", "1");
  table.Dword(tree.Path("kept.dll"), 0);
  RecordingScan controls;
  AuditSharedDlls(controls);
  DWORD value = 7, size = sizeof value, type = 0;
  ASSERT_EQ(::RegGetValueW(HKEY_LOCAL_MACHINE, kTable, tree.Path("kept.dll").c_str(),
                           RRF_RT_REG_DWORD, &type, &value, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 0u);  // the entry is still there, unchanged,
  EXPECT_NE(tree.Attributes("kept.dll"), INVALID_FILE_ATTRIBUTES);  // and so is its file
}

}  // namespace
}  // namespace kelvo::components
