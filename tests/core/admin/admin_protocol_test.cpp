// The administrator step's request and report: what one side writes the other reads back exactly,
// and anything that is not the answer to the request is refused whole.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "admin/admin_report.h"
#include "admin/admin_request.h"
#include "admin/elevation_command.h"

namespace kelvo::admin {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

cleanup::DeletionRequest Row(const std::string& path, const std::string& root = "/var/cache/") {
  cleanup::DeletionRequest row;
  row.path = Utf8ToNative(path);
  row.root = Utf8ToNative(root);
  scan::EntryIdentity id;
  id.device = 2049;
  id.inode = 77;
  id.type = platform::EntryType::kFile;
  id.modified = 1700000000123456789;
  row.identity = id;
  row.size = 4096;
  return row;
}

AdminRequest SampleRequest() {
  AdminRequest request;
  request.user = 1000;
  request.keep = {{settings::KeepEntry::Kind::kFolder, Utf8ToNative("/var/cache/keep")},
                  {settings::KeepEntry::Kind::kPattern, Utf8ToNative("*.iso")}};
  request.rows = {Row("/var/cache/app/a.bin"), Row("/var/cache/odd\xff name")};
  request.rows[1].tidy = cleanup::Tidy::kEmptyFolders;
  cleanup::DeletionRequest folder = Row("/var/tmp/empty", "/var/tmp/");
  folder.emptyFolder = true;
  folder.identity->type = platform::EntryType::kDirectory;
  folder.identity->born = 5;
  folder.size.reset();
  request.rows.push_back(folder);
  return request;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(AdminRequest, ReadsBackWhatWasWrittenByteForByte) {
  const AdminRequest sent = SampleRequest();
  const std::string text = WriteAdminRequest(sent);
  EXPECT_TRUE(IsAdminRequest(text));
  auto read = ReadAdminRequest(text);
  ASSERT_TRUE(read) << read.error();
  EXPECT_EQ(read.value().user, 1000u);
  EXPECT_EQ(read.value().keep, sent.keep);
  ASSERT_EQ(read.value().rows.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const auto& a = read.value().rows[i];
    const auto& b = sent.rows[i];
    EXPECT_EQ(a.path, b.path);
    EXPECT_EQ(a.root, b.root);
    EXPECT_EQ(a.identity->device, b.identity->device);
    EXPECT_EQ(a.identity->inode, b.identity->inode);
    EXPECT_EQ(a.identity->type, b.identity->type);
    EXPECT_EQ(a.identity->modified, b.identity->modified);
    EXPECT_EQ(a.identity->born, b.identity->born);
    EXPECT_EQ(a.size, b.size);
    EXPECT_EQ(a.emptyFolder, b.emptyFolder);
    EXPECT_EQ(a.tidy, b.tidy);
  }
  // The name that is not UTF-8 travels exactly, beside a readable form.
  EXPECT_THAT(text, HasSubstr("path_base64"));
}

TEST(AdminRequest, AListOfRowsOrPathsIsNoRequest) {
  EXPECT_FALSE(IsAdminRequest("/var/cache/a\n"));
  EXPECT_FALSE(IsAdminRequest(R"({"path":"/var/cache/a","root":"/var/cache/"})"));
  EXPECT_FALSE(IsAdminRequest(""));
  EXPECT_FALSE(IsAdminRequest("{not json\n"));
}

TEST(AdminRequest, RefusesRowsAPrivilegedStepMayNotTake) {
  const std::string good = WriteAdminRequest(SampleRequest());
  const auto refused = [](const std::string& text, const std::string& why) {
    auto read = ReadAdminRequest(text);
    ASSERT_FALSE(read) << why;
    EXPECT_THAT(read.error(), HasSubstr(why));
  };
  // Outside its root, or a root that is no folder path: the walk could start anywhere.
  refused(Replace(good, R"("root":"/var/cache/")", R"("root":"/etc/")"),
          "line 2: the path is not below");
  refused(Replace(good, R"("root":"/var/cache/")", R"("root":"")"), "not below its root");
  refused(Replace(good, R"("root":"/var/cache/")", R"("root":"/var/cache")"), "not below its root");
  // Without the identity the scan saw, nothing could be compared before the removal.
  refused(Replace(good, R"("dev":2049,)", ""), "no identity");
  refused(Replace(good, R"("kind":"file")", R"("kind":"socket")"), "kind");
  refused(Replace(good, R"("tidy":"empty-folders")", R"("tidy":"everything")"), "tidy");
  // The bytes and the readable text must name the same path.
  refused(Replace(good, "/var/cache/odd\xef\xbf\xbd name", "/var/cache/other name"),
          "names another path");
  // The header: its version, the asking user and the keep-list (even when empty) are needed.
  refused(Replace(good, R"("kelvo_admin_request":1)", R"("kelvo_admin_request":2)"), "version");
  refused(Replace(good, R"("user":1000,)", ""), "asking user");
  refused(Replace(good, R"("keep":[)", R"("kept":[)"), "keep-list");
  refused(Replace(good, R"("kind":"pattern")", R"("kind":"regex")"), "keep entry");
  refused(good.substr(good.find('\n') + 1), "line 1: not a request header");
  refused(good + "garbage\n", "line 5: not a json object");
}

std::vector<ReportRow> SampleReport() {
  return {ReportRowOf(
              Utf8ToNative("/var/cache/app/a.bin"),
              {cleanup::DeletionOutcome::kDeleted, cleanup::DeletionFailure::kNone, {}, 4096, {}},
              false),
          RefusedRow(Utf8ToNative("/var/cache/odd\xff name"), "package-file"),
          ReportRowOf(Utf8ToNative("/var/tmp/empty"),
                      {cleanup::DeletionOutcome::kFailed,
                       cleanup::DeletionFailure::kNotEmpty,
                       std::error_code(ENOTEMPTY, std::generic_category()),
                       0,
                       {}},
                      false)};
}

std::string ReportText(const std::vector<ReportRow>& rows) {
  std::string text;
  for (const auto& r : rows) text += ReportLine(r);
  return text + SummaryLine(SummaryOf(rows));
}

TEST(AdminReport, ReadsBackOneResultPerAskedRow) {
  const auto asked = SampleRequest().rows;
  auto read = ReadAdminReport(ReportText(SampleReport()), asked);
  ASSERT_TRUE(read) << read.error();
  ASSERT_EQ(read.value().size(), 3u);
  EXPECT_EQ(read.value()[0].outcome, ReportOutcome::kDeleted);
  EXPECT_EQ(read.value()[0].bytes, 4096u);
  EXPECT_EQ(read.value()[1].path, asked[1].path);
  EXPECT_EQ(read.value()[1].outcome, ReportOutcome::kKept);
  EXPECT_EQ(read.value()[2].reason, "not-empty");
  const cleanup::DeletionResult failed = AsDeletionResult(read.value()[2]);
  EXPECT_EQ(failed.outcome, cleanup::DeletionOutcome::kFailed);
  EXPECT_EQ(failed.failure, cleanup::DeletionFailure::kNotEmpty);
  EXPECT_EQ(failed.error.value(), ENOTEMPTY);
  EXPECT_EQ(AsDeletionResult(read.value()[1]).failure, cleanup::DeletionFailure::kPackageFile);
  const ReportSummary s = SummaryOf(read.value());
  EXPECT_EQ(s.deleted, 1u);
  EXPECT_EQ(s.kept, 1u);
  EXPECT_EQ(s.failed, 1u);
  EXPECT_EQ(s.bytes, 4096u);
}

TEST(AdminReport, ATrashedRowIsMovedAndARowInATrashDeleted) {
  cleanup::DeletionResult trashed{cleanup::DeletionOutcome::kDeleted,
                                  cleanup::DeletionFailure::kNone,
                                  {},
                                  10,
                                  Utf8ToNative("/root/.local/share/Trash"),
                                  true};
  EXPECT_EQ(ReportRowOf(Utf8ToNative("/x/a"), trashed, true).outcome, ReportOutcome::kMoved);
  trashed.trash.clear();
  trashed.intoTrash = false;
  EXPECT_EQ(ReportRowOf(Utf8ToNative("/x/a"), trashed, true).outcome, ReportOutcome::kDeleted);
}

TEST(AdminReport, RefusesAReportThatIsNotTheAnswerToTheRequest) {
  const auto asked = SampleRequest().rows;
  const auto refused = [&](const std::string& text, const std::string& why) {
    auto read = ReadAdminReport(text, asked);
    ASSERT_FALSE(read) << why;
    EXPECT_THAT(read.error(), HasSubstr(why));
  };
  auto rows = SampleReport();
  // A row never asked for: a stand-in or a broken step must not make the window show another file.
  auto other = rows;
  other[0].path = Utf8ToNative("/etc/passwd");
  refused(ReportText(other), "report line 1: a row that was not asked for");
  auto swapped = rows;
  std::swap(swapped[0], swapped[2]);
  refused(ReportText(swapped), "out of order");
  auto extra = rows;
  extra.push_back(RefusedRow(Utf8ToNative("/var/cache/more"), "refused"));
  refused(ReportText(extra), "report line 4: not a summary");
  refused(ReportText({rows[0], rows[1]}), "report line 3");
  std::string early;
  for (const auto& r : rows) early += ReportLine(r);
  refused(early, "the report ends after 3 of 3 rows");
  refused(ReportLine(rows[0]), "ends after 1 of 3 rows");
  ReportSummary lie = SummaryOf(rows);
  lie.deleted = 3;
  refused(ReportLine(rows[0]) + ReportLine(rows[1]) + ReportLine(rows[2]) + SummaryLine(lie),
          "does not agree");
  refused(ReportText(rows) + ReportLine(rows[0]), "more follows the summary");
  refused(Replace(ReportText(rows), R"("outcome":"deleted")", R"("outcome":"shredded")"),
          "outcome");
  refused(Replace(ReportText(rows), R"("reason":"not-empty")", R"("reason":"because")"), "reason");
}

TEST(ElevationCommand, IsPkexecUnlessTheEnvironmentNamesAnother) {
  ::unsetenv(kElevateVariable);
  const NativeString cli = Utf8ToNative("/usr/bin/kelvo-cli");
  EXPECT_THAT(ElevationCommand(cli, false),
              ElementsAre("pkexec", "/usr/bin/kelvo-cli", "clean", "--from", "-", "--yes"));
  ::setenv(kElevateVariable, "  /opt/stand-in  --flag ", 1);
  EXPECT_THAT(ElevationCommand(cli, true),
              ElementsAre("/opt/stand-in", "--flag", "/usr/bin/kelvo-cli", "clean", "--from", "-",
                          "--yes", "--trash"));
  ::unsetenv(kElevateVariable);
}

}  // namespace
}  // namespace kelvo::admin
