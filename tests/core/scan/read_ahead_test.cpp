// Reading folders ahead on a thread pool changes nothing the controls see: the same events, rows
// and counts in the same order as the walk on one thread, on many tree shapes, with failures, stops
// and options changed in the middle of a scan.
#include <sys/stat.h>

#include <functional>
#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "scan/driver.h"
#include "scan/read_ahead.h"
#include "support/memory_file_system.h"
#include "support/recording_scan.h"
#include "support/temp_tree.h"

namespace kelvo::scan {
namespace {

using testing::MemoryFileSystem;
using testing::MemoryNode;
using testing::RecordingScan;
using testing::TempTree;

// Everything the controls were told, in one comparable record.
struct Observed {
  std::vector<std::string> events;
  std::vector<std::string> rows;  // with identity
  std::vector<std::string> scanned;
  std::size_t scannedCount = 0;
  std::size_t junkCount = 0;
  int ticks = 0;
  std::int16_t running = 0;

  bool operator==(const Observed&) const = default;
};

void PrintTo(const Observed& o, std::ostream* os) {
  *os << o.events.size() << " events, " << o.rows.size() << " rows, " << o.scanned.size()
      << " folders, " << o.ticks << " ticks";
}

std::vector<std::string> RowsWithIdentity(const RecordingScan& c) {
  std::vector<std::string> out = c.RowTexts();
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto& id = c.rows[i].identity;
    if (id)
      out[i] += "|" + std::to_string(id->device) + ":" + std::to_string(id->inode) + ":" +
                std::to_string(static_cast<int>(id->type));
    if (c.rows[i].emptyFolder) out[i] += "|empty";
  }
  return out;
}

// Options for a scan, applied to fresh controls; onTick may stop the scan or change options.
using ScanSetup = std::function<void(RecordingScan&, ScanState&)>;

Observed Scan(platform::FileSystem& fs, const std::vector<std::string>& roots, unsigned readers,
              const ScanSetup& setup) {
  RecordingScan controls;
  controls.driveKeys = roots;
  ScanState state;
  state.folderReaders = readers;
  setup(controls, state);
  RunScan(state, controls, fs);
  return {controls.events,       RowsWithIdentity(controls), controls.scannedFolders,
          controls.scannedCount, controls.junkCount,         controls.ticks,
          state.running.load()};
}

void TickEverything(RecordingScan& c) {
  c.TickAllPatterns(true);
  c.check2 = c.check3 = true;
  c.specialTicks.fill(true);
}

// A random tree: junk and plain names, marker folders, hidden, read-only and dot folders, empty
// files, links, folders on another device, and folders that fail to open, list or be examined.
class RandomTree {
 public:
  RandomTree(std::uint32_t seed, int folders, int maxEntries)
      : rng_(seed), maxEntries_(maxEntries) {
    std::vector<MemoryNode*> all = {&root_};
    for (int i = 0; i < folders; ++i) {
      MemoryNode& parent = *all[Below(all.size())];
      MemoryNode& f = parent.AddFolder(FolderName(i), FolderAttributes());
      if (Chance(3)) f.failList = true;
      if (Chance(3)) f.failOpen = true;
      if (Chance(3)) f.failStat = true;
      if (Chance(2)) f.device = 9;
      all.push_back(&f);
    }
    for (MemoryNode* folder : all) AddEntries(*folder);
    // Shuffle the listing order of the biggest folders so that it is not creation order.
    for (MemoryNode* folder : all)
      if (Chance(30)) std::shuffle(folder->children.begin(), folder->children.end(), rng_);
  }

  MemoryNode& root() { return root_; }
  void Install(MemoryFileSystem& fs, const std::string& key) {
    MemoryNode& r = fs.AddRoot(key);
    r.children = std::move(root_.children);
  }

 private:
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(rng_() % n); }
  bool Chance(int percent) { return static_cast<int>(rng_() % 100) < percent; }

  std::string FolderName(int i) {
    static const char* const kNames[] = {"temp",    "TEMP",    "Recent",
                                         "History", "Cookies", "Temporary Internet Files",
                                         ".hidden", "x.tmp",   "~old"};
    if (Chance(25))
      return std::string(kNames[Below(std::size(kNames))]) +
             (Chance(50) ? "" : "_" + std::to_string(i));
    return "d" + std::to_string(i);
  }
  std::uint32_t FolderAttributes() {
    std::uint32_t a = 0;
    if (Chance(5)) a |= platform::attr::kHidden;
    if (Chance(5)) a |= platform::attr::kReadOnly;
    return a;
  }
  void AddEntries(MemoryNode& folder) {
    static const char* const kNames[] = {"a.tmp", "B.TMP",     "c.bak", "~d.doc", "note$",
                                         "e.tx~", "plain.txt", "f.$$$", "g.dir",  "h.old",
                                         "i.chk", "j.gid",     "k",     "l.wbk"};
    const std::size_t n = Below(static_cast<std::size_t>(maxEntries_) + 1);
    for (std::size_t k = 0; k < n; ++k) {
      std::string name = std::to_string(k) + kNames[Below(std::size(kNames))];
      if (Chance(5)) {
        folder.AddSymlink(name);
        continue;
      }
      MemoryNode& file = folder.AddFile(name, Chance(15) ? 0 : 1 + Below(5000),
                                        Chance(5) ? platform::attr::kReadOnly : 0);
      if (Chance(3)) file.failStat = true;
    }
  }

  std::mt19937 rng_;
  int maxEntries_;
  MemoryNode root_{"", platform::EntryType::kDirectory, platform::attr::kDirectory, 0, 1, 1};
};

class ReadAheadMemoryTest : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(ReadAheadMemoryTest, SameObservationsWithAnyNumberOfReaders) {
  for (bool partial : {false, true}) {
    MemoryFileSystem fs;
    fs.partialFolderAttributes = partial;
    RandomTree tree(GetParam(), 150 + static_cast<int>(GetParam() % 4) * 150, 12);
    tree.Install(fs, "/C/");
    fs.AddRoot("/D/").AddFile("d.tmp");
    const std::vector<std::string> roots = {"/C/", "/D/"};
    for (const ScanSetup& setup :
         std::vector<ScanSetup>{[](RecordingScan&c, ScanState&) { TickEverything(c); },
                                [](RecordingScan&c, ScanState&) {
                                  c.patterns[0] = c.patterns[3] = true;
                                  c.check2 = true;
                                },
                                [](RecordingScan&, ScanState&) {}}) {
      const Observed one = Scan(fs, roots, 1, setup);
      ASSERT_GT(one.scanned.size(), 10u);
      for (unsigned readers : {2u, 3u, 8u, ScanState::kReadersAsNeeded})
        EXPECT_EQ(Scan(fs, roots, readers, setup), one) << readers << " readers";
    }
  }
}

TEST_P(ReadAheadMemoryTest, StopAtAnyPointWindsDownTheSame) {
  MemoryFileSystem fs;
  RandomTree tree(GetParam() + 1000, 120, 8);
  tree.Install(fs, "/C/");
  fs.AddRoot("/D/").AddFolder("sub").AddFile("late.tmp");
  const std::vector<std::string> roots = {"/C/", "/D/"};
  const Observed full = Scan(fs, roots, 1, [](RecordingScan& c, ScanState&) { TickEverything(c); });
  for (int stopAt = 1; stopAt <= full.ticks + 1; stopAt += 1 + full.ticks / 40) {
    const ScanSetup setup = [stopAt](RecordingScan& c, ScanState& state) {
      TickEverything(c);
      c.onTick = [&state, stopAt](int tick) {
        if (tick == stopAt) state.SetFlags(kFlagFalse);
      };
    };
    const Observed one = Scan(fs, roots, 1, setup);
    for (unsigned readers : {2u, 4u, ScanState::kReadersAsNeeded})
      EXPECT_EQ(Scan(fs, roots, readers, setup), one) << "stop at tick " << stopAt;
  }
}

TEST_P(ReadAheadMemoryTest, OptionsChangedDuringTheScanTakeEffectAtTheSameEntry) {
  MemoryFileSystem fs;
  RandomTree tree(GetParam() + 2000, 200, 10);
  tree.Install(fs, "/C/");
  for (int changeAt : {3, 40, 200}) {
    const ScanSetup setup = [changeAt](RecordingScan& c, ScanState&) {
      c.patterns[0] = true;
      c.onTick = [&c, changeAt](int tick) {
        if (tick == changeAt) TickEverything(c);
        if (tick == changeAt * 2) {
          c.check3 = false;
          c.specialTicks.fill(false);
        }
      };
    };
    const Observed one = Scan(fs, {"/C/"}, 1, setup);
    EXPECT_EQ(Scan(fs, {"/C/"}, 3, setup), one) << "change at tick " << changeAt;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, ReadAheadMemoryTest, ::testing::Range(1u, 9u));

TEST(ReadAheadMemory, DeepChainsAndWideFolders) {
  MemoryFileSystem fs;
  MemoryNode& c = fs.AddRoot("/C/");
  MemoryNode* node = &c;
  for (int depth = 0; depth < 400; ++depth) {
    node->AddFile("f" + std::to_string(depth) + ".tmp");
    node->AddFolder("side").AddFile("s.tmp", 0);
    node = &node->AddFolder("deeper");
  }
  MemoryNode& wide = c.AddFolder("wide");
  for (int i = 0; i < 700; ++i) wide.AddFolder("w" + std::to_string(i)).AddFile("x~");
  const ScanSetup setup = [](RecordingScan& ctl, ScanState&) { TickEverything(ctl); };
  const Observed one = Scan(fs, {"/C/"}, 1, setup);
  EXPECT_EQ(one.scanned.size(), 1u + 800u + 1u + 700u);
  for (unsigned readers : {2u, 5u}) EXPECT_EQ(Scan(fs, {"/C/"}, readers, setup), one);
}

TEST(ReadAheadMemory, AStopBeforeTheFirstSubFolderListsNothingMore) {
  MemoryFileSystem fs;
  MemoryNode& c = fs.AddRoot("/C/");
  for (int i = 0; i < 50; ++i) c.AddFolder("d" + std::to_string(i)).AddFolder("e").AddFile("z.tmp");
  c.AddFile("root.tmp");
  const ScanSetup setup = [](RecordingScan& ctl, ScanState& state) {
    ctl.patterns[0] = true;
    ctl.onTick = [&state](int tick) {
      if (tick == 51) state.SetFlags(kFlagFalse);  // the root's last entry
    };
  };
  const Observed one = Scan(fs, {"/C/"}, 1, setup);
  const Observed four = Scan(fs, {"/C/"}, 4, setup);
  EXPECT_EQ(four, one);
  EXPECT_EQ(one.scanned.size(), 51u);  // shown, never listed
  EXPECT_EQ(one.rows.size(), 1u);
}

// The pool on its own: folders handed over in the walk's order whatever the limits, and a pool
// dropped half-way stops cleanly.
struct Visit {
  std::string path;
  std::vector<std::string> names;
  bool failed = false;
  bool operator==(const Visit&) const = default;
};

void VisitSynchronously(platform::Directory& parent, const std::vector<SubFolder>& children,
                        const std::string& path, std::uint64_t device, std::vector<Visit>& out) {
  for (const SubFolder& child : children) {
    FolderContents contents;
    OpenSubFolder(parent, child, {device, 0}, contents);
    if (contents.elsewhere) continue;
    Visit v{path + child.name + "/", {}, false};
    if (!contents.dir || ReadFolder(contents)) {
      v.failed = true;
      out.push_back(v);
      continue;
    }
    for (const auto& e : contents.listing.entries())
      v.names.push_back(std::string(contents.listing.Name(e)));
    out.push_back(v);
    VisitSynchronously(*contents.dir, contents.children, v.path, device, out);
  }
}

void VisitAhead(ReadAhead& ahead, const std::vector<ReadAhead::FolderRef>& refs,
                const std::vector<SubFolder>& children, const std::string& path,
                std::vector<Visit>& out, std::size_t& budget) {
  for (std::size_t i = 0; i < refs.size(); ++i) {
    if (budget == 0) return;
    --budget;
    FolderContents contents;
    std::vector<ReadAhead::FolderRef> subRefs;
    ahead.Take(refs[i], contents, subRefs);
    if (contents.elsewhere) continue;
    Visit v{path + children[i].name + "/", {}, false};
    if (contents.error) {
      v.failed = true;
      out.push_back(v);
      continue;
    }
    for (const auto& e : contents.listing.entries())
      v.names.push_back(std::string(contents.listing.Name(e)));
    out.push_back(v);
    ASSERT_EQ(subRefs.size(), contents.children.size());
    VisitAhead(ahead, subRefs, contents.children, v.path, out, budget);
  }
}

TEST(ReadAheadPool, HandsFoldersOverInWalkOrderUnderAnyLimits) {
  MemoryFileSystem fs;
  RandomTree tree(77, 300, 6);
  tree.Install(fs, "/C/");
  std::error_code ec;
  std::shared_ptr<platform::Directory> root = fs.OpenDirectory("/C/", ec);
  ASSERT_TRUE(root);
  FolderContents top;
  top.dir = root;
  ASSERT_FALSE(ReadFolder(top));
  std::vector<Visit> expected;
  VisitSynchronously(*root, top.children, "/C/", root->Device(), expected);
  ASSERT_GT(expected.size(), 100u);

  for (ReadAheadLimits limits :
       {ReadAheadLimits{1, 1}, ReadAheadLimits{4, 20}, ReadAheadLimits{}}) {
    for (unsigned threads : {1u, 3u}) {
      ReadAhead ahead(threads, {root->Device(), 0}, RuleSwitches().set(), limits);
      std::vector<Visit> got;
      std::size_t budget = SIZE_MAX;
      VisitAhead(ahead, ahead.Begin(root, top.children, MarkerCounts{}), top.children, "/C/", got,
                 budget);
      EXPECT_EQ(got, expected) << limits.folders << " folders ahead, " << threads << " threads";
    }
  }
}

TEST(ReadAheadPool, DroppedHalfWayStopsCleanly) {
  MemoryFileSystem fs;
  RandomTree tree(78, 300, 6);
  tree.Install(fs, "/C/");
  std::error_code ec;
  std::shared_ptr<platform::Directory> root = fs.OpenDirectory("/C/", ec);
  FolderContents top;
  top.dir = root;
  ASSERT_FALSE(ReadFolder(top));
  for (std::size_t stopAfter : {0u, 1u, 10u, 100u}) {
    std::vector<Visit> got;
    {
      ReadAhead ahead(2, {root->Device(), 0}, RuleSwitches(), {});
      std::size_t budget = stopAfter;
      VisitAhead(ahead, ahead.Begin(root, top.children, MarkerCounts{}), top.children, "/C/", got,
                 budget);
    }
    EXPECT_LE(got.size(), stopAfter);
  }
}

// A tree whose first folders are slow to list, as on a cold disk, and whose rest is quick.
void AddSlowThenQuickFolders(MemoryNode& root) {
  MemoryNode& slow = root.AddFolder("slow");
  for (int i = 0; i < 250; ++i) {
    MemoryNode& f = slow.AddFolder("s" + std::to_string(i));
    f.listDelay = std::chrono::milliseconds(2);
    f.AddFile(std::to_string(i) + ".tmp");
    MemoryNode& inner = f.AddFolder("inner");
    inner.listDelay = std::chrono::milliseconds(2);
    inner.AddFile("x~");
  }
  MemoryNode& quick = root.AddFolder("quick");
  for (int i = 0; i < 1500; ++i) quick.AddFolder("q" + std::to_string(i)).AddFile("y.bak", 0);
}

TEST(ReadAheadPool, GrowsWhileReadsBlockAndShrinksWhenTheyDoNot) {
  MemoryFileSystem fs;
  AddSlowThenQuickFolders(fs.AddRoot("/C/"));
  std::error_code ec;
  std::shared_ptr<platform::Directory> root = fs.OpenDirectory("/C/", ec);
  FolderContents top;
  top.dir = root;
  ASSERT_FALSE(ReadFolder(top));
  std::vector<Visit> expected;
  VisitSynchronously(*root, top.children, "/C/", root->Device(), expected);

  ReadAhead ahead(ReadAheadThreads{1, 8}, {root->Device(), 0}, RuleSwitches().set());
  EXPECT_EQ(ahead.Readers(), 1u);
  std::vector<Visit> got;
  std::size_t budget = SIZE_MAX;
  VisitAhead(ahead, ahead.Begin(root, top.children, MarkerCounts{}), top.children, "/C/", got,
             budget);
  EXPECT_EQ(got, expected);
  EXPECT_GT(ahead.PeakReaders(), 1u);
  EXPECT_LE(ahead.PeakReaders(), 8u);
  // Quick folders send the extra readers back (read again while a busy machine makes some slow).
  FolderContents quick;
  quick.dir = root->OpenChild("quick", ec);
  ASSERT_FALSE(ReadFolder(quick));
  for (int pass = 0; pass < 10 && ahead.Readers() > 1; ++pass) {
    got.clear();
    VisitAhead(ahead, ahead.Begin(quick.dir, quick.children, MarkerCounts{}), quick.children, "/",
               got, budget);
  }
  // Under a sanitizer every read is several times slower, and a cached read may look like one
  // from the disk on a busy machine: the rule itself is tested with an injected clock.
#if !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
  EXPECT_EQ(ahead.Readers(), 1u);
#endif
}

TEST(ReadAheadMemory, ReadersAsNeededOnASlowDiskGiveTheSameObservations) {
  MemoryFileSystem fs;
  AddSlowThenQuickFolders(fs.AddRoot("/C/"));
  const ScanSetup setup = [](RecordingScan& c, ScanState&) { TickEverything(c); };
  const Observed one = Scan(fs, {"/C/"}, 1, setup);
  EXPECT_EQ(one.scanned.size(), 1u + 1u + 500u + 1u + 1500u);
  EXPECT_EQ(Scan(fs, {"/C/"}, ScanState::kReadersAsNeeded, setup), one);
}

// On disk: the same rows and events with any number of readers.
class ReadAheadRealTreeTest : public ::testing::Test {
 protected:
  Observed ScanTree(unsigned readers, const ScanSetup& setup) {
    return Scan(platform::NativeFileSystem(), {tree.root()}, readers, setup);
  }
  TempTree tree;
};

TEST_F(ReadAheadRealTreeTest, RandomTreeGivesTheSameRowsAndEvents) {
  std::mt19937 rng(5);
  std::vector<std::string> folders = {""};
  static const char* const kFolderNames[] = {"temp", "Recent", "Cookies", "x.tmp", ".dot", "ro"};
  for (int i = 0; i < 120; ++i) {
    std::string name = rng() % 4 == 0 ? std::string(kFolderNames[rng() % 6]) + std::to_string(i % 3)
                                      : "d" + std::to_string(i);
    if (rng() % 6 == 0) name = kFolderNames[rng() % 6];
    const std::string path = folders[rng() % folders.size()] + name + "/";
    tree.Dir(path);
    folders.push_back(path);
  }
  static const char* const kFileNames[] = {"a.tmp", "b.BAK", "~c", "d$", "e.txt", "f", "g.old"};
  for (int i = 0; i < 1200; ++i)
    tree.File(folders[rng() % folders.size()] + std::to_string(i) + kFileNames[rng() % 7],
              rng() % 10 == 0 ? "" : "data");
  for (int i = 0; i < 20; ++i)
    tree.Symlink("/nowhere", folders[rng() % folders.size()] + "link" + std::to_string(i) + ".tmp");
  for (std::size_t i = 1; i < folders.size(); i += 7) tree.Chmod(folders[i], 0555);

  for (const ScanSetup& setup :
       std::vector<ScanSetup>{[](RecordingScan&c, ScanState&) { TickEverything(c); },
                              [](RecordingScan&c, ScanState&) {
                                c.patterns[0] = c.patterns[14] = true;
                                c.check2 = true;
                              }}) {
    const Observed one = ScanTree(1, setup);
    ASSERT_GT(one.rows.size(), 50u);
    for (unsigned readers : {2u, 4u, ScanState::kReadersAsNeeded})
      EXPECT_EQ(ScanTree(readers, setup), one) << readers;
  }
  for (std::size_t i = 1; i < folders.size(); i += 7) tree.Chmod(folders[i], 0755);
}

TEST_F(ReadAheadRealTreeTest, ChainsDeeperThanPathMax) {
  tree.DeepChain("deep", 30, std::string(200, 'd'), "leaf.tmp");
  tree.DeepChain("deep2", 30, std::string(200, 'e'), "leaf~");
  const ScanSetup setup = [](RecordingScan& c, ScanState&) { TickEverything(c); };
  const Observed one = ScanTree(1, setup);
  EXPECT_EQ(one.rows.size(), 4u);  // two leaves, each a zero-byte file too
  EXPECT_EQ(ScanTree(3, setup), one);
}

TEST_F(ReadAheadRealTreeTest, StopsAtSeveralPoints) {
  for (int i = 0; i < 30; ++i) {
    tree.File("f" + std::to_string(i) + "/x.tmp");
    tree.File("f" + std::to_string(i) + "/g/y.tmp");
  }
  for (int stopAt : {1, 2, 5, 31, 40, 75}) {
    const ScanSetup setup = [stopAt](RecordingScan& c, ScanState& state) {
      c.patterns[0] = true;
      c.onTick = [&state, stopAt](int tick) {
        if (tick == stopAt) state.SetFlags(kFlagFalse);
      };
    };
    EXPECT_EQ(ScanTree(3, setup), ScanTree(1, setup)) << "stop at tick " << stopAt;
  }
}

}  // namespace
}  // namespace kelvo::scan
