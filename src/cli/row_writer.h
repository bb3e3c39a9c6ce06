// Writing result rows to a stream in one of the output formats, buffered.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scan/junk_item.h"

namespace kelvo::cli {

enum class OutputFormat { kText, kTsv, kCsv, kJson, kPaths0 };

// The names --format takes, in the order the help lists them, and the format each names (text for
// any other).
extern const std::vector<std::string> kFormatNames;
OutputFormat FormatNamed(std::string_view name);

// Collects output and writes it in large blocks.
class OutputBuffer {
 public:
  explicit OutputBuffer(std::FILE* out) : out_(out) { data_.reserve(kFlushAt + 4096); }
  ~OutputBuffer() { Flush(); }
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  void Append(std::string_view s) {
    data_.append(s);
    if (data_.size() >= kFlushAt) Flush();
  }
  void Append(char c) { data_.push_back(c); }
  void AppendEscapedTsv(std::string_view s);
  void Flush();
  bool failed() const { return failed_; }

 private:
  static constexpr std::size_t kFlushAt = 256 * 1024;
  std::FILE* out_;
  std::string data_;
  bool failed_ = false;
};

class RowWriter {
 public:
  virtual ~RowWriter() = default;
  virtual void Write(const scan::JunkItem& item) = 0;
  virtual void Finish() {}
};

std::unique_ptr<RowWriter> MakeRowWriter(OutputFormat format, OutputBuffer& out);

// Field encodings, exposed for the tests and for the list reader of other commands.
// Appends bytes with backslash, tab, newline and carriage return written as \\, \t, \n and \r.
void AppendEscapedTsvField(std::string& out, std::string_view bytes);
std::string EscapeTsvField(std::string_view bytes);
// Text for a terminal: the tsv escapes, and every other control character (C0, DEL, C1) and every
// byte that is not valid UTF-8 as \xHH, so a name can neither move the cursor nor hide a line.
// Messages may keep backslashes as they are, for Windows paths that read as typed.
enum class Backslashes { kEscaped, kKept };
std::string EscapeForTerminal(std::string_view bytes,
                              Backslashes backslashes = Backslashes::kEscaped);
std::string QuoteCsvField(std::string_view bytes);
std::string_view EntryKindName(const scan::JunkItem& item);

}  // namespace kelvo::cli
