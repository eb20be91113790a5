#include "script/line_reader.h"

#include <cstring>

namespace script {

std::int64_t MemorySource::read(char* buf, std::size_t n) {
  if (n > bytes_.size() - pos_) n = bytes_.size() - pos_;
  std::memcpy(buf, bytes_.data() + pos_, n);
  pos_ += n;
  return static_cast<std::int64_t>(n);
}

bool MemorySource::seek(std::uint64_t offset) {
  if (offset > bytes_.size()) return false;
  pos_ = static_cast<std::size_t>(offset);
  return true;
}

bool LineReader::seek(std::uint64_t offset) {
  if (!source_.seek(offset)) return false;
  base_ = offset;
  pos_ = end_ = 0;
  at_end_ = false;
  return true;
}

bool LineReader::fill() {
  base_ += end_;
  pos_ = end_ = 0;
  if (at_end_) return true;
  const std::int64_t got = source_.read(buf_.data(), buf_.size());
  if (got < 0) return false;
  if (got == 0) at_end_ = true;
  end_ = static_cast<std::size_t>(got);
  return true;
}

bool LineReader::append(const char* p, std::size_t n) {
  if (n > max_line_ - line_.size()) return false;
  line_.append(p, n);
  return true;
}

LineReader::Status LineReader::next() {
  line_.clear();
  bool started = false;  // a byte of this line (or its terminator) was seen
  for (;;) {
    if (pos_ == end_) {
      if (!fill()) return Status::Failed;
      if (pos_ == end_) return started ? Status::Line : Status::End;
    }
    started = true;
    const char* from = buf_.data() + pos_;
    const auto* cr = static_cast<const char*>(std::memchr(from, '\r', end_ - pos_));
    if (!cr) {
      if (!append(from, end_ - pos_)) return Status::TooLong;
      pos_ = end_;
      continue;
    }
    if (!append(from, static_cast<std::size_t>(cr - from))) return Status::TooLong;
    pos_ = static_cast<std::size_t>(cr - buf_.data()) + 1;
    if (pos_ == end_ && !fill()) return Status::Failed;
    if (pos_ < end_ && buf_[pos_] == '\n') ++pos_;
    return Status::Line;
  }
}

}  // namespace script
