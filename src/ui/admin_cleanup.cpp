#include "admin_cleanup.h"

#include <QCoreApplication>
#include <QDir>

#include "admin/admin_report.h"
#include "admin/admin_request.h"
#include "admin/elevation_command.h"
#include "admin_words.h"
#include "platform/child_process.h"
#include "platform/process_probe.h"

namespace kelvo::ui {
namespace {

// The report of a request at the list limit stays far below this.
constexpr qsizetype kMaxReportBytes = qsizetype{512} << 20;

QString FromNative(const NativeString& text) {
  return QString::fromStdString(NativeToUtf8(text));
}

}  // namespace

AdminCleanup::AdminCleanup(QObject* parent, QString cli) : QObject(parent), cli_(std::move(cli)) {
  if (cli_.isEmpty())
    cli_ = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kelvo-cli"));
  // A password prompt of the agent belongs to the user's session, not to a pipe of ours.
  process_.setProcessChannelMode(QProcess::SeparateChannels);
  process_.setStandardErrorFile(QProcess::nullDevice());
  connect(&process_, &QProcess::readyReadStandardOutput, this, [this] {
    output_ += process_.readAllStandardOutput();
    if (output_.size() > kMaxReportBytes && !tooLong_) {
      tooLong_ = true;
      process_.kill();
    }
  });
  connect(&process_, &QProcess::finished, this, &AdminCleanup::OnFinished);
  connect(&process_, &QProcess::errorOccurred, this, &AdminCleanup::OnError);
}

void AdminCleanup::Run(std::vector<std::size_t> positions, const std::vector<scan::JunkItem>& items,
                       bool toTrash, const std::vector<settings::KeepEntry>& keep) {
  if (Busy()) return;
  positions_ = std::move(positions);
  rows_.clear();
  for (const scan::JunkItem& item : items) rows_.push_back(cleanup::RequestFor(item));
  output_.clear();
  tooLong_ = false;
  admin::AdminRequest request;
  request.user = platform::EffectiveUserId();
  request.keep = keep;
  request.rows = rows_;
  const std::vector<NativeString> argv =
      admin::ElevationCommand(Utf8ToNative(cli_.toStdString()), toTrash);
  QStringList args;
  for (std::size_t i = 1; i < argv.size(); ++i) args << FromNative(argv[i]);
  process_.start(FromNative(argv[0]), args);
  // Written and closed now; QProcess sends it as the child reads.
  const std::string text = admin::WriteAdminRequest(request);
  process_.write(text.data(), static_cast<qint64>(text.size()));
  process_.closeWriteChannel();
}

void AdminCleanup::OnFinished(int exitCode, QProcess::ExitStatus status) {
  output_ += process_.readAllStandardOutput();
  if (tooLong_) return Finish({}, AdminStepFailedText(tr("报告过长")));
  if (output_.isEmpty()) {
    // pkexec: 126 when the password was not given, 127 when not authorised.
    const QString why = status == QProcess::CrashExit
                            ? tr("程序异常退出")
                            : tr("未获授权或已取消（退出状态 %1）").arg(exitCode);
    return Finish({}, AdminStepFailedText(why));
  }
  auto report =
      admin::ReadAdminReport(std::string_view(output_.constData(), output_.size()), rows_);
  if (!report)
    return Finish(
        {}, AdminStepFailedText(tr("报告无效：%1").arg(QString::fromStdString(report.error()))));
  std::vector<cleanup::DeletionResult> results;
  for (const admin::ReportRow& row : report.value())
    results.push_back(admin::AsDeletionResult(row));
  Finish(std::move(results), {});
}

void AdminCleanup::OnError(QProcess::ProcessError error) {
  // Only a start that failed ends here without finished() following.
  if (error == QProcess::FailedToStart)
    Finish({}, AdminStepFailedText(tr("无法启动 %1").arg(process_.program())));
}

void AdminCleanup::Finish(std::vector<cleanup::DeletionResult> results, const QString& error) {
  std::vector<std::size_t> positions = std::move(positions_);
  positions_.clear();
  emit finished(positions, results, error);
}

}  // namespace kelvo::ui
