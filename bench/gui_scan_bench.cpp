// Responsiveness of the desktop program during a big scan with every rule on: the longest gap
// between two ticks of the GUI thread's event loop, the memory each result row costs, and the
// scan's time against kelvo-cli's on the same tree. Then, on the rows found, the longest gap while
// sorting by a column, ticking all and none, withdrawing ticked rows and dropping deleted ones.
//
//   kelvo_gui_scan_bench [--files N] [--keep] [TREE]
// Without TREE a tree of N files (default 250000) is made in a temporary folder; each file gives
// four rows (*.tmp, ~*.*, temp folder, zero bytes).
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <utility>

#include "main_window.h"

using namespace kelvo;

namespace {

std::string MakeTree(long files) {
  char templ[] = "/tmp/kelvo-gui-bench-XXXXXX";
  std::string root = ::mkdtemp(templ);
  root += '/';
  const long perFolder = 500;
  for (long i = 0; i < files; ++i) {
    const long folder = i / perFolder;
    std::string dir = root + "d" + std::to_string(folder / 50) + "/";
    if (i % (perFolder * 50) == 0) ::mkdir(dir.c_str(), 0755);
    dir += "f" + std::to_string(folder) + "/";
    if (i % perFolder == 0) {
      ::mkdir(dir.c_str(), 0755);
      ::mkdir((dir + "temp").c_str(), 0755);
    }
    const std::string file = dir + "temp/~junk" + std::to_string(i) + ".tmp";
    int fd = ::open(file.c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0) ::close(fd);
  }
  return root;
}

// CPU time of the calling thread: on a loaded machine the loop's gaps stretch with the waits for a
// core, this does not.
double ThreadCpuMs() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double LoadAverage() {
  double load = 0;
  std::ifstream("/proc/loadavg") >> load;
  return load;
}

long RssBytes() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * ::sysconf(_SC_PAGESIZE);
}

double RunCli(const std::string& root) {
  auto start = std::chrono::steady_clock::now();
  pid_t pid = ::fork();
  if (pid == 0) {
    int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execl(KELVO_CLI_PATH, "kelvo-cli", "scan", "--patterns=all", "--temp", "--zero",
            "--special=all", "--format=tsv", root.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Ticks every millisecond on the event loop and keeps the longest gap between two ticks, which is
// how long the loop was blocked; onTick runs after each tick.
class LoopGapMeter {
 public:
  explicit LoopGapMeter(std::function<void()> onTick = {}) : onTick_(std::move(onTick)) {
    ticker_.setTimerType(Qt::PreciseTimer);
    ticker_.setInterval(1);
    QObject::connect(&ticker_, &QTimer::timeout, [this] {
      const qint64 now = clock_.nsecsElapsed();
      const double cpu = ThreadCpuMs();
      if (now - lastTick_ > longestGap_) {
        longestGap_ = now - lastTick_;
        longestGapCpu_ = cpu - lastCpu_;
      }
      mostCpu_ = std::max(mostCpu_, cpu - lastCpu_);
      lastTick_ = now;
      lastCpu_ = cpu;
      if (onTick_) onTick_();
    });
  }
  void Start() {
    lastCpu_ = ThreadCpuMs();
    clock_.start();
    ticker_.start();
  }
  void Stop() { ticker_.stop(); }
  qint64 ElapsedNs() const { return clock_.nsecsElapsed(); }
  double LongestGapMs() const { return longestGap_ / 1e6; }
  // The GUI thread's CPU time within the longest gap, and the most between any two ticks.
  double LongestGapCpuMs() const { return longestGapCpu_; }
  double MostCpuMs() const { return mostCpu_; }

 private:
  std::function<void()> onTick_;
  QElapsedTimer clock_;
  QTimer ticker_;
  qint64 lastTick_ = 0;
  qint64 longestGap_ = 0;
  double lastCpu_ = 0;
  double longestGapCpu_ = 0;
  double mostCpu_ = 0;
};

// Runs action from the event loop and keeps the loop going until done() holds; prints the longest
// gap between two ticks of the loop meanwhile and the time until done.
void TimeGap(const char* what, const std::function<void()>& action,
             const std::function<bool()>& done) {
  bool started = false;
  double cpuStart = 0, cpuEnd = 0;
  QEventLoop loop;
  LoopGapMeter meter([&] {
    if (started && done()) {
      cpuEnd = ThreadCpuMs();
      loop.quit();
    }
  });
  QTimer::singleShot(20, [&] {
    cpuStart = ThreadCpuMs();
    action();
    started = true;
  });
  meter.Start();
  loop.exec();
  std::printf("%-20s longest loop gap %6.1f ms, done after %6.0f ms, GUI thread CPU %6.1f ms\n",
              what, meter.LongestGapMs(), (meter.ElapsedNs() - 20e6) / 1e6, cpuEnd - cpuStart);
}

}  // namespace

int main(int argc, char* argv[]) {
  long files = 250000;
  bool keep = false;
  std::string root;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--files" && i + 1 < argc)
      files = std::atol(argv[++i]);
    else if (a == "--keep")
      keep = true;
    else
      root = a;
  }
  const bool made = root.empty();
  if (made) {
    std::fprintf(stderr, "making a tree of %ld files...\n", files);
    root = MakeTree(files);
  }
  if (root.back() != '/') root += '/';

  RunCli(root);  // warms the page cache for both runs
  const double cliSeconds = RunCli(root);

  QApplication app(argc, argv);
  ui::Services services = ui::DefaultServices();
  services.installComponents = [] {};
  services.readTipsSwitch = [](const NativeString&) { return std::int16_t(0); };
  services.writeIniValue = [](const NativeString&, std::string_view, std::string_view,
                              std::string_view) { return std::error_code(); };
  services.listDrives = [root] {
    return std::vector<platform::Drive>{{Utf8ToNative(root), Utf8ToNative(root)}};
  };
  ui::MainWindow window(std::move(services));
  window.Startup();
  window.show();
  window.settingsDialog()->SelectAll();
  window.settingsDialog()->Check(3)->setChecked(true);
  window.tv()->SetTicked(1, true);
  window.tv()->SetTicked(window.tv()->NodeCount() - 4, true);  // the special folders
  window.ShowSummary();                                        // redrawn as the rows arrive
  app.processEvents();

  const long rssBefore = RssBytes();
  LoopGapMeter meter;
  double guiSeconds = 0;
  QObject::connect(&window.session(), &ui::ScanSession::finished, [&] {
    guiSeconds = meter.ElapsedNs() / 1e9;
    meter.Stop();
    app.quit();
  });
  meter.Start();
  window.asPopup(1)->click();
  app.exec();

  const long rssAfter = RssBytes();
  const ui::ResultsModel& model = window.model();
  const std::uint64_t pathBytes = model.PathBytes();
  const double rows = static_cast<double>(model.Size());
  std::printf("load average         %.2f\n", LoadAverage());
  std::printf("tree                 %s\n", root.c_str());
  std::printf("rows                 %zu\n", model.Size());
  std::printf("folders              %zu\n", window.session().ScannedFolders().size());
  std::printf("kelvo-cli scan       %.2f s\n", cliSeconds);
  std::printf("GUI scan             %.2f s (%.2fx)\n", guiSeconds, guiSeconds / cliSeconds);
  std::printf(
      "longest loop gap     %.1f ms (GUI thread CPU in it %.1f ms, most between ticks %.1f)\n",
      meter.LongestGapMs(), meter.LongestGapCpuMs(), meter.MostCpuMs());
  std::printf("list memory per row  %.1f bytes (rows, orders, file table), path blocks %.1f\n",
              model.MemoryBytes() / rows, pathBytes / rows);
  std::printf(
      "RSS growth per row   %.1f bytes beyond path blocks, %.1f bytes above the idle window\n",
      (rssAfter - rssBefore - static_cast<double>(pathBytes)) / rows,
      (rssAfter - rssBefore) / rows);

  // The list's own work on all these rows, as the buttons and header clicks start it.
  ui::ResultsModel& list = window.model();
  QHeaderView* header = window.lv()->horizontalHeader();
  auto sorted = [&] { return !list.Sorting(); };
  auto now = [] { return true; };
  TimeGap(
      "sort by path", [&] { emit header->sectionClicked(ui::ResultsModel::kPath); }, sorted);
  TimeGap(
      "sort by path, down", [&] { emit header->sectionClicked(ui::ResultsModel::kPath); }, sorted);
  TimeGap(
      "sort by name", [&] { emit header->sectionClicked(ui::ResultsModel::kName); }, sorted);
  TimeGap(
      "sort by size", [&] { emit header->sectionClicked(ui::ResultsModel::kSize); }, sorted);
  TimeGap(
      "sort by type", [&] { emit header->sectionClicked(ui::ResultsModel::kType); }, sorted);
  TimeGap(
      "tick all", [&] { window.uc(0)->click(); }, now);
  TimeGap(
      "tick none", [&] { window.uc(1)->click(); }, now);
  TimeGap(
      "filter \"junk1\"", [&] { window.filterBox()->setText(QStringLiteral("junk1")); }, now);
  TimeGap(
      "tick shown", [&] { window.uc(0)->click(); }, now);
  TimeGap(
      "filter off", [&] { window.filterBox()->clear(); }, now);
  TimeGap(
      "tick none", [&] { window.uc(1)->click(); }, now);
  TimeGap(
      "drop deleted (half)",
      [&] {
        std::vector<std::size_t> gone;
        for (std::size_t p = 0; p < list.Size(); p += 2) gone.push_back(p);
        list.RemoveRows(std::move(gone));
      },
      now);
  const std::size_t left = list.Size();
  TimeGap(
      "tick all", [&] { window.uc(0)->click(); }, now);
  TimeGap(
      "withdraw ticked", [&] { window.uc(2)->click(); }, now);
  std::printf("rows withdrawn       %zu\n", left - list.Size());
  std::printf("load average         %.2f\n", LoadAverage());

  if (made && !keep) {
    std::string cmd = "rm -rf '" + root + "'";
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", root.c_str());
  }
  return 0;
}
