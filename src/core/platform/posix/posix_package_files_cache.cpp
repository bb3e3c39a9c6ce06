// The package index's cache file: a header, the stamp of the databases it was built from, the
// sorted offsets and the NUL-ended paths, in this machine's byte order.
//
// Opening checks everything that does not need the body's pages mapped in (folder and file owned
// by the effective user and written by nobody else, regular file, magic, version, byte order, sizes
// adding up to the file's size, stamp) and then the body's checksum, read through a small buffer
// so that the pages stay out of the scan's memory. Only then is the file mapped; a scan's lookups
// touch a few dozen pages.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstring>
#include <random>
#include <utility>

#include "platform/file_update.h"
#include "platform/package_files.h"
#include "platform/posix/unique_fd.h"

namespace kelvo::platform {
namespace {

constexpr std::array<char, 8> kMagic = {'K', 'E', 'L', 'V', 'O', 'P', 'K', 'G'};
constexpr std::uint32_t kVersion = 1;
constexpr std::uint32_t kByteOrderMark = 0x01020304;
// A cache over this size is not one this program wrote (the lists' text is tens of megabytes at
// most): it is not read.
constexpr std::uint64_t kLargestCache = 1ull << 30;

struct Header {
  std::array<char, 8> magic;
  std::uint32_t version;
  std::uint32_t byteOrder;
  std::uint64_t stampBytes;
  std::uint64_t count;
  std::uint64_t textBytes;
  std::uint64_t checksum;  // of everything after the header
};
static_assert(sizeof(Header) == 48);

// The padding after the stamp, so that the offsets are aligned.
std::uint64_t Padding(std::uint64_t stampBytes) {
  return (4 - stampBytes % 4) % 4;
}

std::error_code LastError() {
  return {errno, std::generic_category()};
}

std::error_code Untrusted() {
  return std::make_error_code(std::errc::permission_denied);
}

// Built from the databases as they were: ESTALE, which std::errc does not name.
std::error_code Stale() {
  return {ESTALE, std::generic_category()};
}

std::error_code Malformed() {
  return std::make_error_code(std::errc::illegal_byte_sequence);
}

// A 64-bit checksum over a byte stream, the same however the stream is cut into pieces. It finds
// a torn or damaged file, not a forged one: whoever could forge it owns it already.
class Checksum {
 public:
  void Update(std::string_view bytes) {
    length_ += bytes.size();
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (filled_ && p != end) TakeByte(*p++);
    // Whole words, four lanes at a time so the multiplies do not wait on each other: the file
    // is megabytes and is summed at every scan.
    for (; end - p >= 8 && words_ % 4; p += 8) Mix(Word(p));
    for (; end - p >= 32; p += 32, words_ += 4)
      for (int i = 0; i < 4; ++i) lanes_[i] = Mixed(lanes_[i], Word(p + 8 * i));
    for (; end - p >= 8; p += 8) Mix(Word(p));
    while (p != end) TakeByte(*p++);
  }
  std::uint64_t Finish() {
    if (filled_) Mix(std::exchange(partial_, 0));
    std::uint64_t hash = length_;
    for (std::uint64_t lane : lanes_) hash = Mixed(hash, lane);
    return hash;
  }

 private:
  static constexpr std::uint64_t kPrime = 0x9E3779B97F4A7C15ull;
  // Little-endian whatever the machine, as TakeByte reads it.
  static std::uint64_t Word(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
  }
  void TakeByte(char c) {
    partial_ |= static_cast<std::uint64_t>(static_cast<unsigned char>(c)) << (8 * filled_);
    if (++filled_ == 8) {
      filled_ = 0;
      Mix(std::exchange(partial_, 0));
    }
  }
  static std::uint64_t Mixed(std::uint64_t lane, std::uint64_t word) {
    lane = (lane ^ word) * kPrime;
    return lane ^ (lane >> 29);
  }
  void Mix(std::uint64_t word) {
    std::uint64_t& lane = lanes_[words_++ % 4];
    lane = Mixed(lane, word);
  }
  std::array<std::uint64_t, 4> lanes_ = {0xCBF29CE484222325ull, 1, 2, 3};
  std::uint64_t partial_ = 0;
  std::uint64_t words_ = 0;
  std::uint64_t length_ = 0;
  unsigned filled_ = 0;
};

// The folder, opened without following a link, when only the effective user (or root) can change
// what it holds.
Result<UniqueFd> OpenTrustedFolder(const NativeString& folder) {
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!dir) return Fail(LastError());
  struct stat st;
  if (::fstat(dir.get(), &st) != 0) return Fail(LastError());
  if ((st.st_uid != ::geteuid() && st.st_uid != 0) || (st.st_mode & (S_IWGRP | S_IWOTH)))
    return Fail(Untrusted());
  return dir;
}

struct Mapping {
  void* address = MAP_FAILED;
  std::size_t length = 0;
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;
  Mapping(void* a, std::size_t n) : address(a), length(n) {}
  ~Mapping() {
    if (address != MAP_FAILED) ::munmap(address, length);
  }
};

std::error_code ReadAt(int fd, void* buffer, std::size_t bytes, off_t offset) {
  auto* out = static_cast<char*>(buffer);
  while (bytes) {
    const ssize_t n = ::pread(fd, out, bytes, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return LastError();
    if (n == 0) return Malformed();  // shorter than it was a moment ago
    out += n;
    bytes -= static_cast<std::size_t>(n);
    offset += n;
  }
  return {};
}

std::error_code WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return LastError();
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
}

std::string TemporaryName() {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937 random{std::random_device{}()};
  return "." + std::string(kPackageFilesCacheName) + "." + std::to_string(::getpid()) + "-" +
         std::to_string(counter.fetch_add(1)) + "-" + std::to_string(random() % 1000000);
}

}  // namespace

Result<PackageFileIndex> OpenPackageFilesCache(const NativeString& folder, std::string_view stamp) {
  Result<UniqueFd> dir = OpenTrustedFolder(folder);
  if (!dir) return Fail(dir.error());
  UniqueFd file(::openat(dir->get(), std::string(kPackageFilesCacheName).c_str(),
                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!file) return Fail(LastError());
  struct stat st;
  if (::fstat(file.get(), &st) != 0) return Fail(LastError());
  if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH)))
    return Fail(Untrusted());
  const auto size = static_cast<std::uint64_t>(st.st_size);
  Header header;
  if (size < sizeof header || size > kLargestCache) return Fail(Malformed());
  if (auto ec = ReadAt(file.get(), &header, sizeof header, 0)) return Fail(ec);
  if (header.magic != kMagic || header.version != kVersion || header.byteOrder != kByteOrderMark)
    return Fail(Malformed());
  // Each part is checked against the file's size before they are added, so nothing overflows.
  if (header.stampBytes > size || header.count > size / 4 || header.textBytes > size)
    return Fail(Malformed());
  const std::uint64_t startsAt = sizeof header + header.stampBytes + Padding(header.stampBytes);
  const std::uint64_t textAt = startsAt + header.count * 4;
  if (textAt + header.textBytes != size) return Fail(Malformed());
  if (header.stampBytes != stamp.size()) return Fail(Stale());

  // The body, through a buffer: the stamp compared, the last byte kept, everything summed.
  Checksum sum;
  std::string buffer(64 * 1024, '\0');
  std::uint64_t at = sizeof header;
  char last = '\0';
  bool stampMatches = true;
  while (at < size) {
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - at));
    if (auto ec = ReadAt(file.get(), buffer.data(), n, static_cast<off_t>(at))) return Fail(ec);
    const std::string_view piece(buffer.data(), n);
    if (at < sizeof header + stamp.size()) {
      const std::size_t from = static_cast<std::size_t>(at - sizeof header);
      const std::size_t len = std::min(n, stamp.size() - from);
      stampMatches = stampMatches && piece.substr(0, len) == stamp.substr(from, len);
    }
    sum.Update(piece);
    last = piece.back();
    at += n;
  }
  if (!stampMatches) return Fail(Stale());
  if (sum.Finish() != header.checksum) return Fail(Malformed());
  if (header.textBytes && last != '\0') return Fail(Malformed());

  void* address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.get(), 0);
  if (address == MAP_FAILED) return Fail(LastError());
  auto mapping = std::make_shared<Mapping>(address, size);
  const char* base = static_cast<const char*>(address);
  // Lookups jump about: reading ahead would only fill the page cache and the scan's memory.
  ::madvise(address, size, MADV_RANDOM);
  return PackageFileIndex::Over(
      mapping,
      std::span(reinterpret_cast<const std::uint32_t*>(base + startsAt),
                static_cast<std::size_t>(header.count)),
      NativeStringView(base + textAt, static_cast<std::size_t>(header.textBytes)));
}

std::error_code SavePackageFilesCache(const NativeString& folder, std::string_view stamp,
                                      const PackageFileIndex& index) {
  if (auto ec = MakeFolders(folder)) return ec;
  Result<UniqueFd> dir = OpenTrustedFolder(folder);
  if (!dir) return dir.error();

  const std::span<const std::uint32_t> starts = index.Starts();
  const NativeStringView text = index.Text();
  const std::string padding(Padding(stamp.size()), '\0');
  const std::string_view startBytes(reinterpret_cast<const char*>(starts.data()),
                                    starts.size_bytes());
  Header header{kMagic, kVersion, kByteOrderMark, stamp.size(), starts.size(), text.size(), 0};
  Checksum sum;
  for (std::string_view part : {stamp, std::string_view(padding), startBytes, text})
    sum.Update(part);
  header.checksum = sum.Finish();

  const std::string temporary = TemporaryName();
  UniqueFd file(::openat(dir->get(), temporary.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (!file) return LastError();
  auto abandon = [&](std::error_code ec) {
    ::unlinkat(dir->get(), temporary.c_str(), 0);
    return ec;
  };
  const std::string_view headerBytes(reinterpret_cast<const char*>(&header), sizeof header);
  for (std::string_view part : {headerBytes, stamp, std::string_view(padding), startBytes, text})
    if (auto ec = WriteAll(file.get(), part)) return abandon(ec);
  if (::fsync(file.get()) != 0) return abandon(LastError());
  if (auto ec = file.Close()) return abandon(ec);
  if (::renameat(dir->get(), temporary.c_str(), dir->get(),
                 std::string(kPackageFilesCacheName).c_str()) != 0)
    return abandon(LastError());
  return {};
}

}  // namespace kelvo::platform
