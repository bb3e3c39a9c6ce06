// The window's administrator step: the ticked rows that only an administrator may remove are
// handed to `pkexec kelvo-cli clean --from - --yes` (the elevation command named by KELVO_ELEVATE)
// through QProcess, never blocking the GUI thread; its report comes back as one result per row.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>

#include <cstddef>
#include <vector>

#include "cleanup/deletion.h"
#include "scan/junk_item.h"
#include "settings/keep_list_file.h"

namespace kelvo::ui {

class AdminCleanup : public QObject {
  Q_OBJECT

 public:
  // cli: the kelvo-cli to run as administrator; by default the one beside this program.
  explicit AdminCleanup(QObject* parent = nullptr, QString cli = {});

  bool Busy() const { return process_.state() != QProcess::NotRunning; }
  // Starts the step (only while not busy). positions are handed back with the results; keep is
  // the user's keep-list as stored, which the privileged side gets in the request.
  void Run(std::vector<std::size_t> positions, const std::vector<scan::JunkItem>& items,
           bool toTrash, const std::vector<settings::KeepEntry>& keep);

 signals:
  // One result per row, in the order of positions; when the step did not answer (not authorised,
  // cancelled, no report or one that is not the answer to the request) results is empty, nothing
  // of its rows is known to be removed, and error says why in the user's words.
  void finished(const std::vector<std::size_t>& positions,
                const std::vector<cleanup::DeletionResult>& results, const QString& error);

 private:
  void OnFinished(int exitCode, QProcess::ExitStatus status);
  void OnError(QProcess::ProcessError error);
  void Finish(std::vector<cleanup::DeletionResult> results, const QString& error);

  QString cli_;
  QProcess process_;
  QByteArray output_;
  bool tooLong_ = false;
  std::vector<std::size_t> positions_;
  std::vector<cleanup::DeletionRequest> rows_;
};

}  // namespace kelvo::ui
