// The platform layer on Windows. Every path goes to the system made full and in
// the long form (platform/long_path.h), so no file operation stops at 260
// characters.

#include <windows.h>

#include <algorithm>

#include "platform/long_path.h"
#include "platform/native.h"
#include "platform/platform.h"
#include "utf/utf.h"

namespace platform {
namespace {

using utf::narrow;
using utf::widen;

// What precedes the last part of a path; "." when it has one part.
std::wstring folder_of(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

// The folder that holds a full path's last part, with the "\" that a root keeps
// ("\\?\C:\", "\\?\UNC\server\share\"): without it, a drive would be the volume
// itself and a share no folder.
std::wstring parent_folder(const std::wstring& path) {
  std::wstring folder = folder_of(path);
  const std::wstring_view share = std::wstring_view(folder).substr(
      folder.starts_with(kLongUncPrefix) ? kLongUncPrefix.size() : folder.size());
  if (folder.ends_with(L':') || std::count(share.begin(), share.end(), L'\\') == 1) folder += L'\\';
  return folder;
}

// A path made full against the current folder: "." and ".." resolved, "/" made
// "\". The path as it was when the system cannot.
std::wstring full_wide(const std::wstring& path) {
  std::wstring full(std::max<std::size_t>(path.size() + 1, MAX_PATH), L'\0');
  for (;;) {
    const DWORD n =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return path;
    if (n < full.size()) {
      full.resize(n);
      return full;
    }
    full.resize(n);
  }
}

// A path as the system takes it at any length: full, in the long form.
std::wstring native_path(std::string_view path) {
  const std::wstring wide = widen(path);
  if (wide.empty() || wide.starts_with(kLongPrefix)) return wide;
  return long_form(full_wide(wide));
}

FileError from_last_error(DWORD e = GetLastError()) {
  switch (e) {
    case ERROR_FILE_NOT_FOUND: return FileError::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH: return FileError::PathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT: return FileError::PermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileError::DiskFull;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY: return FileError::BadFileName;
    default: return FileError::PathFileAccess;
  }
}

bool is_folder(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// The identity of an existing file or folder, opened without asking for any access
// so that a running program or a file open elsewhere answers too.
bool identity_of(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
  const HANDLE h =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return known;
}

class HandleInput : public InputFile {
 public:
  explicit HandleInput(HANDLE h) : h_(h) {}
  ~HandleInput() override { CloseHandle(h_); }
  std::int64_t read(char* buf, std::size_t n) override {
    DWORD got = 0;
    if (!ReadFile(h_, buf, static_cast<DWORD>(n), &got, nullptr)) return -1;
    return got;
  }

 private:
  HANDLE h_;
};

// Fills the temporary file of `to` through `fill` and moves it over the target;
// removes it again on any failure.
template <class Fill>
FileError replace_whole(std::string_view to, Fill fill) {
  if (to.empty() || to.back() == '\\' || to.back() == '/') return FileError::BadFileName;
  const std::wstring target = native_path(to);
  if (is_folder(target)) return FileError::PathFileAccess;
  if (!is_folder(parent_folder(target))) return FileError::PathNotFound;
  const std::wstring tmp = widen(native::temporary_path(narrow(target)));
  FileError error = fill(tmp.c_str());
  if (error == FileError::None &&
      !MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error = from_last_error();
  if (error != FileError::None) DeleteFileW(tmp.c_str());
  return error;
}

}  // namespace

namespace native {

std::string program_folder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return ".";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    // Cut short: a path longer than the buffer, which the long form allows.
    path.resize(path.size() * 2);
  }
  // Shown to the user in the build console, so written the way users write paths.
  return narrow(plain_form(folder_of(path)));
}

FileError start_minimized(std::string_view path, std::string_view arguments) {
  // The long form only where it is needed, and no working folder that the
  // system could not take (the player finds its files by its own path).
  const std::wstring plain = widen(path);
  const std::wstring app = plain.size() < MAX_PATH ? plain : native_path(path);
  const std::wstring folder = folder_of(plain);
  std::wstring command = L"\"" + plain + L"\"";
  if (!arguments.empty()) command += L" " + widen(arguments);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWMINIMIZED;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(app.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.size() < MAX_PATH ? folder.c_str() : nullptr, &si, &pi))
    return from_last_error();
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return FileError::None;
}

}  // namespace native

std::vector<std::string> dir_all(std::string_view pattern, unsigned attributes) {
  std::vector<std::string> names;
  const std::wstring p = native_path(pattern);
  if (p.empty()) return names;
  WIN32_FIND_DATAW found;
  const HANDLE h = FindFirstFileExW(p.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                    nullptr, 0);
  if (h == INVALID_HANDLE_VALUE) return names;
  DWORD excluded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (!(attributes & Directory)) excluded |= FILE_ATTRIBUTE_DIRECTORY;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & excluded) continue;
    names.push_back(narrow(name));
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return names;
}

std::string full_path(std::string_view path) {
  const std::wstring p = widen(path);
  return p.empty() ? std::string() : narrow(full_wide(p));
}

bool same_file(std::string_view a, std::string_view b) {
  BY_HANDLE_FILE_INFORMATION first, second;
  return identity_of(native_path(a), first) && identity_of(native_path(b), second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

FileError delete_file(std::string_view path) {
  return DeleteFileW(native_path(path).c_str()) ? FileError::None : from_last_error();
}

FileError copy_file(std::string_view from, std::string_view to) {
  const std::wstring src = native_path(from);
  if (is_folder(src)) return FileError::PathFileAccess;
  return replace_whole(to, [&](const wchar_t* tmp) {
    return CopyFileW(src.c_str(), tmp, FALSE) ? FileError::None : from_last_error();
  });
}

FileError create_folder(std::string_view path) {
  std::wstring p = native_path(path);
  if (p.empty()) return FileError::PathNotFound;
  // "C:\out\" is the folder C:\out, which the long form would not take.
  while (p.back() == L'\\' && parent_folder(p) != p) p.pop_back();
  if (CreateDirectoryW(p.c_str(), nullptr)) return FileError::None;
  const DWORD e = GetLastError();
  return e == ERROR_ALREADY_EXISTS ? FileError::PathFileAccess : from_last_error(e);
}

std::unique_ptr<InputFile> open_for_reading(std::string_view path, FileError& error) {
  const std::wstring p = native_path(path);
  if (is_folder(p)) {
    error = FileError::PathFileAccess;
    return nullptr;
  }
  const HANDLE h = CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = from_last_error();
    return nullptr;
  }
  error = FileError::None;
  return std::make_unique<HandleInput>(h);
}

FileError write_file(std::string_view path, std::string_view bytes) {
  return replace_whole(path, [&](const wchar_t* tmp) {
    const HANDLE h = CreateFileW(tmp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return from_last_error();
    FileError error = FileError::None;
    std::size_t done = 0;
    while (error == FileError::None && done < bytes.size()) {
      DWORD put = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
      if (!WriteFile(h, bytes.data() + done, chunk, &put, nullptr))
        error = from_last_error();
      done += put;
    }
    if (error == FileError::None && !FlushFileBuffers(h)) error = from_last_error();
    if (!CloseHandle(h) && error == FileError::None) error = from_last_error();
    return error;
  });
}

}  // namespace platform
