// "保留列表": the folders and patterns that are never scanned or deleted. Reads the stored list
// when it is made, writes every change at once, and keeps the window's options in step.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "live_options.h"
#include "services.h"

namespace kelvo::ui {

class KeepListDialog : public QDialog {
  Q_OBJECT

 public:
  KeepListDialog(LiveOptions& options, const Services& services, QWidget* parent = nullptr);

  QListWidget* Entries() const { return entries_; }

  // Each stores the entry unless it is there already; false when it could not be stored (the
  // user has been told why).
  bool AddEntry(const settings::KeepEntry& entry);
  bool AddFolder(NativeStringView folder);  // a folder's path on disk
  bool AddPattern(const QString& pattern);  // a glob pattern as typed
  bool AddFile(NativeStringView file);      // exactly this file, whatever its name holds
  // Removes the selected entries.
  void RemoveSelected();

 private:
  bool Store(std::vector<settings::KeepEntry> entries);
  // Reads the stored list into the options; false (with the reason shown) when it cannot be read.
  bool Load();
  void ShowMessage(const QString& text);
  void ShowEntries();
  void PickFolder();
  void AskPattern();

  LiveOptions& options_;
  const Services& services_;
  QListWidget* entries_ = nullptr;
  QLabel* readError_ = nullptr;
};

}  // namespace kelvo::ui
