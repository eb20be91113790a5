#pragma once
// Reads a script line by line, holding one line at a time. A line ends at CR LF or
// at a lone CR; a lone LF stays inside the line and no other byte is special. The
// last line needs no terminator.

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
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
  std::int64_t read(char* buf, std::size_t n) override;

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

 private:
  bool fill();  // false on a read failure; at the end pos_ == end_ afterwards
  bool append(const char* p, std::size_t n);

  ByteSource& source_;
  std::size_t max_line_;
  std::array<char, 4096> buf_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
  std::string line_;
};

}  // namespace script
