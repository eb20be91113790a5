#pragma once
// Reads a script line by line, holding one line at a time. A line ends at CR LF or
// at a lone CR; a lone LF stays inside the line and no other byte is special. The
// last line needs no terminator. Over a source that can seek, the reader can go back
// to a line whose start it has told.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace script {

// Where the bytes come from: a file, a memory block, a test's counting reader.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to n bytes into buf: the number read, 0 at the end, -1 on failure.
  virtual std::int64_t read(char* buf, std::size_t n) = 0;
  // Makes the next read start at byte offset of the source; false when the source
  // cannot go there (or cannot seek at all).
  virtual bool seek(std::uint64_t /*offset*/) { return false; }
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
  std::int64_t read(char* buf, std::size_t n) override;
  bool seek(std::uint64_t offset) override;

 private:
  std::string bytes_;
  std::size_t pos_ = 0;
};

class LineReader {
 public:
  enum class Status { Line, End, Failed, TooLong };

  // A line longer than max_line bytes ends the reading with TooLong.
  explicit LineReader(ByteSource& source, std::size_t max_line = SIZE_MAX)
      : source_(source), max_line_(max_line) {}

  // Reads the next line; line() holds it (without its terminator) after Line.
  Status next();
  std::string_view line() const { return line_; }

  // The byte offset from the source's start where the next line starts.
  std::uint64_t offset() const { return base_ + pos_; }
  // Goes to a line start that offset() told; false when the source cannot seek.
  bool seek(std::uint64_t offset);

 private:
  bool fill();  // false on a read failure; at the end pos_ == end_ afterwards
  bool append(const char* p, std::size_t n);

  ByteSource& source_;
  std::size_t max_line_;
  std::array<char, 4096> buf_;
  std::uint64_t base_ = 0;  // the source offset of buf_[0]
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
  std::string line_;
};

}  // namespace script
