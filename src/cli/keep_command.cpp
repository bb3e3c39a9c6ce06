#include "keep_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <optional>

#include "commands.h"
#include "platform/file_system.h"
#include "platform/native_path.h"
#include "row_writer.h"
#include "settings/keep_list_file.h"
#include "settings/settings_file.h"

namespace kelvo::cli {
namespace {

using settings::KeepEntry;

// A folder that exists is kept as the folder it is on disk; anything else is a pattern.
KeepEntry EntryFor(const std::string& text, bool pattern) {
  const NativeString native = Utf8ToNative(text);
  NativeString canonical;
  if (!pattern && !platform::NativeFileSystem().ResolveRoot(native, canonical)) {
    return {KeepEntry::Kind::kFolder, NativeString(platform::WithoutTrailingSeparators(canonical))};
  }
  return {KeepEntry::Kind::kPattern, native};
}

std::string Shown(const NativeString& text) {
  return EscapeForTerminal(NativeToUtf8(text));
}

}  // namespace

void AddKeepOptions(CLI::App& command, KeepOptions& options) {
  command
      .add_option("ACTION", options.action,
                  "list: print the stored entries; add ENTRY...: store folders (an existing\n"
                  "folder is stored as its path on disk) or glob patterns; remove ENTRY...:\n"
                  "drop them")
      ->required()
      ->check(CLI::IsMember({"list", "add", "remove"}));
  command.add_option("ENTRY", options.entries, "Folders or patterns")->check(RefuseEmpty);
  command.add_flag("--pattern", options.pattern,
                   "add: store each ENTRY as a pattern even when it names a folder");
}

int RunKeepCommand(const KeepOptions& options) {
  const NativeString file = settings::SettingsFilePath();
  if (options.action == "list") {
    if (!options.entries.empty() || options.pattern) {
      std::fprintf(stderr, "kelvo-cli: keep list takes no entries\n");
      return kExitUsage;
    }
    const auto stored = settings::ReadKeepList(file);
    if (!stored) {
      std::fprintf(stderr, "kelvo-cli: %s\n", UnreadableKeepListText(stored.error()).c_str());
      return kExitPartial;
    }
    for (const KeepEntry& e : *stored)
      std::printf("%s %s\n", e.kind == KeepEntry::Kind::kFolder ? "folder " : "pattern",
                  Shown(e.text).c_str());
    return kExitOk;
  }
  if (options.entries.empty()) {
    std::fprintf(stderr, "kelvo-cli: keep %s: give at least one ENTRY\n", options.action.c_str());
    return kExitUsage;
  }
  int status = kExitOk;
  for (const std::string& text : options.entries) {
    std::error_code ec;
    if (options.action == "add") {
      const KeepEntry entry = EntryFor(text, options.pattern);
      const auto flaw = entry.kind == KeepEntry::Kind::kPattern
                            ? settings::PatternFlawOf(entry.text)
                            : std::nullopt;
      if (flaw) {
        std::fprintf(stderr, "kelvo-cli: keep add: %s: not stored: %s\n", Shown(entry.text).c_str(),
                     std::string(settings::PatternFlawText(*flaw)).c_str());
        status = kExitPartial;
        continue;
      }
      bool added = false;
      ec = settings::AddKeepEntry(file, entry, added);
      if (!ec)
        std::printf("%s %s %s\n", added ? "kept:" : "already kept:",
                    entry.kind == KeepEntry::Kind::kFolder ? "folder" : "pattern",
                    Shown(entry.text).c_str());
    } else {
      std::size_t removed = 0;
      ec = settings::RemoveKeepEntry(file, Utf8ToNative(text), removed);
      if (!ec && !removed) {
        // A folder may have been stored by its path on disk.
        const KeepEntry entry = EntryFor(text, false);
        ec = settings::RemoveKeepEntry(file, entry.text, removed);
      }
      if (!ec && !removed) {
        std::fprintf(stderr, "kelvo-cli: not on the keep-list: %s\n",
                     Shown(Utf8ToNative(text)).c_str());
        status = kExitPartial;
      } else if (!ec) {
        std::printf("removed: %s\n", Shown(Utf8ToNative(text)).c_str());
      }
    }
    if (ec) {
      std::fprintf(stderr, "kelvo-cli: keep %s: %s: %s\n", options.action.c_str(),
                   Shown(Utf8ToNative(text)).c_str(), ec.message().c_str());
      status = kExitPartial;
    }
  }
  return status;
}

std::string UnreadableKeepListText(std::error_code error) {
  return "the keep-list cannot be read from " + Shown(settings::SettingsFilePath()) + ": " +
         error.message();
}

std::string HeldBackText(const scan::KeepList& keep) {
  if (keep.empty()) return {};
  return ", " + std::to_string(keep.HeldBack()) + " held back by the keep-list";
}

}  // namespace kelvo::cli
