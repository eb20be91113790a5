// The platform layer on POSIX systems, where the designer's code runs in tests.
// There are no hidden or system attributes here, and a Windows program cannot be
// started: starting one only checks that it is there.

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/native.h"
#include "platform/platform.h"

namespace platform {
namespace {

std::string native_path(std::string_view path) {
  std::string p(path);
  std::replace(p.begin(), p.end(), '\\', '/');
  return p;
}

std::string folder_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool is_folder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

FileError from_errno(int e, const std::string& path) {
  switch (e) {
    case ENOENT: return is_folder(folder_of(path)) ? FileError::FileNotFound : FileError::PathNotFound;
    case ENOTDIR: return FileError::PathNotFound;
    case EACCES:
    case EPERM: return FileError::PermissionDenied;
    case ENOSPC:
    case EDQUOT: return FileError::DiskFull;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ: return FileError::BadFileName;
    default: return FileError::PathFileAccess;
  }
}

class FdInput : public InputFile {
 public:
  explicit FdInput(int fd) : fd_(fd) {}
  ~FdInput() override { ::close(fd_); }
  std::int64_t read(char* buf, std::size_t n) override {
    for (;;) {
      const ssize_t got = ::read(fd_, buf, n);
      if (got >= 0 || errno != EINTR) return got;
    }
  }

 private:
  int fd_;
};

bool write_all(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t put = ::write(fd, p, n);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += put;
    n -= static_cast<std::size_t>(put);
  }
  return true;
}

// Fills the temporary file of `target` through `fill` and moves it over the
// target; removes it again on any failure.
template <class Fill>
FileError replace_whole(const std::string& target, Fill fill) {
  if (target.empty() || target.back() == '/') return FileError::BadFileName;
  const std::string tmp = native::temporary_path(target);
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return from_errno(errno, target);
  FileError error = fill(fd);
  if (error == FileError::None && ::fsync(fd) != 0) error = from_errno(errno, target);
  if (::close(fd) != 0 && error == FileError::None) error = from_errno(errno, target);
  if (error == FileError::None && ::rename(tmp.c_str(), target.c_str()) != 0)
    error = from_errno(errno, target);
  if (error != FileError::None) ::unlink(tmp.c_str());
  return error;
}

}  // namespace

namespace native {

std::string program_folder() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  return folder_of(std::string(buf, static_cast<std::size_t>(n)));
}

FileError start_minimized(std::string_view path, std::string_view) {
  struct stat st;
  const std::string p = native_path(path);
  if (::stat(p.c_str(), &st) != 0) return from_errno(errno, p);
  return FileError::None;
}

}  // namespace native

std::vector<std::string> dir_all(std::string_view pattern, unsigned attributes) {
  std::vector<std::string> names;
  const std::string path = native_path(pattern);
  if (path.empty() || path.back() == '/') return names;
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + (slash == 0));
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const bool want_folders = (attributes & Directory) != 0;

  DIR* d = ::opendir(folder.c_str());
  if (!d) return names;
  while (const dirent* e = ::readdir(d)) {
    const std::string entry = e->d_name;
    if (entry == "." || entry == "..") continue;
    if (::fnmatch(name.c_str(), entry.c_str(), FNM_CASEFOLD) != 0) continue;
    if (!want_folders && is_folder(folder + "/" + entry)) continue;
    names.push_back(entry);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

std::string full_path(std::string_view path) {
  if (path.empty() || path.front() == '/') return std::string(path);
  char buf[PATH_MAX];
  if (!::getcwd(buf, sizeof buf)) return std::string(path);
  return std::string(buf) + "\\" + std::string(path);
}

bool same_file(std::string_view a, std::string_view b) {
  struct stat first, second;
  return ::stat(native_path(a).c_str(), &first) == 0 &&
         ::stat(native_path(b).c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

FileError delete_file(std::string_view path) {
  const std::string p = native_path(path);
  if (is_folder(p)) return FileError::PathFileAccess;
  return ::unlink(p.c_str()) == 0 ? FileError::None : from_errno(errno, p);
}

FileError copy_file(std::string_view from, std::string_view to) {
  const std::string src = native_path(from);
  const std::string dst = native_path(to);
  if (is_folder(src)) return FileError::PathFileAccess;
  const int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return from_errno(errno, src);
  if (is_folder(dst)) {
    ::close(in);
    return FileError::PathFileAccess;
  }
  const FileError error = replace_whole(dst, [&](int out) {
    char buf[65536];
    for (;;) {
      const ssize_t got = ::read(in, buf, sizeof buf);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return from_errno(errno, src);
      if (got == 0) return FileError::None;
      if (!write_all(out, buf, static_cast<std::size_t>(got))) return from_errno(errno, dst);
    }
  });
  ::close(in);
  return error;
}

FileError create_folder(std::string_view path) {
  const std::string p = native_path(path);
  if (p.empty()) return FileError::PathNotFound;
  if (::mkdir(p.c_str(), 0755) == 0) return FileError::None;
  return errno == EEXIST ? FileError::PathFileAccess : from_errno(errno, p);
}

std::unique_ptr<InputFile> open_for_reading(std::string_view path, FileError& error) {
  const std::string p = native_path(path);
  if (is_folder(p)) {
    error = FileError::PathFileAccess;
    return nullptr;
  }
  const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = from_errno(errno, p);
    return nullptr;
  }
  error = FileError::None;
  return std::make_unique<FdInput>(fd);
}

FileError write_file(std::string_view path, std::string_view bytes) {
  const std::string p = native_path(path);
  if (is_folder(p)) return FileError::PathFileAccess;
  return replace_whole(p, [&](int fd) {
    return write_all(fd, bytes.data(), bytes.size()) ? FileError::None : from_errno(errno, p);
  });
}

}  // namespace platform
