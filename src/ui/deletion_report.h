// The report after a deletion that left files behind: what was done and freed, then every file not
// removed with its reason, in a list the user can scroll, select and copy.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QStringList>
#include <QTableWidget>
#include <vector>

namespace kelvo::ui {

struct ReportLine {
  QString path;
  QString reason;
};

class DeletionReport : public QDialog {
  Q_OBJECT

 public:
  // summary: the lines above the list (what was deleted, what it freed).
  DeletionReport(const QStringList& summary, std::vector<ReportLine> failures,
                 QWidget* parent = nullptr);

  QTableWidget* list() const { return list_; }
  QLabel* summary() const { return summary_; }
  // The rows chosen in the list, or all of them when none is: "path<TAB>reason", one a line.
  QString CopyText() const;
  void CopyToClipboard() const;

 private:
  QLabel* summary_ = nullptr;
  QTableWidget* list_ = nullptr;
};

}  // namespace kelvo::ui
