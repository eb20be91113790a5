#pragma once
// Operating-system services of the designer: the program folder, directory
// search, file copy/delete/create, project file reading and safe writing, and
// starting a process. Paths are written as the designer builds them, with "\"
// between folder and name; only this layer turns them into native paths.
//
// Failures come back as file error numbers (FileError), which the designer's
// error boxes show with their descriptions.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class FileError {
  None = 0,
  OutOfMemory = 7,
  BadFileName = 52,
  FileNotFound = 53,
  DeviceIo = 57,
  DiskFull = 61,
  InputPastEnd = 62,
  PermissionDenied = 70,
  PathFileAccess = 75,
  PathNotFound = 76,
};

// The folder that holds the running program, without a trailing "\".
std::string program_folder();
// Tests run the designer in a folder of their own.
void set_program_folder(std::string folder);

// A path as given on a command line, made absolute against the current folder;
// an absolute path stays as it is (the system may tidy its "." and ".." parts).
// Empty for an empty path.
std::string full_path(std::string_view path);

// Attribute masks of a directory search.
enum Attributes : unsigned { Normal = 0, Directory = 16 };

// Names (without folder) of the entries matching a path whose last part may hold
// the wildcards * and ?, in the order the system lists them. Normal lists files
// that are neither hidden nor system; Directory adds folders. A name the system
// cannot search for gives no entries.
std::vector<std::string> dir_all(std::string_view pattern, unsigned attributes);
// The first of them, or "" when there is none.
std::string dir(std::string_view pattern, unsigned attributes);

// Whether two paths name one existing file however each is spelled (letter case,
// short names, "." and "..", links), by the file's identity rather than its name:
// the volume and file index on Windows, the device and inode on POSIX. False when
// either is missing or cannot be asked.
bool same_file(std::string_view a, std::string_view b);

FileError delete_file(std::string_view path);
// Copies a file, replacing the destination whole: the destination is either the
// old file or the complete copy, never a part.
FileError copy_file(std::string_view from, std::string_view to);
// Creates one folder; its parent must exist.
FileError create_folder(std::string_view path);

// A file open for sequential reading.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Up to n bytes into buf: the number read, 0 at the end, -1 on failure.
  virtual std::int64_t read(char* buf, std::size_t n) = 0;
};

std::unique_ptr<InputFile> open_for_reading(std::string_view path, FileError& error);

// Writes a whole file safely: into its temporary file (the target's name followed
// by ".~qlt", in the same folder), flushed to disk, then moved over the target. On
// any failure the old file is untouched and the temporary file is gone; a write
// cut short by a crash leaves at most that one file, which the next write replaces.
FileError write_file(std::string_view path, std::string_view bytes);

// Starts a program by its full path, with the arguments given (empty: none),
// minimized and with the input focus, without waiting for it.
FileError start_minimized(std::string_view path, std::string_view arguments = {});

// Tests see the programs that would be started instead of starting them.
using ProcessStarter = FileError (*)(std::string_view path, std::string_view arguments);
void set_process_starter(ProcessStarter starter);  // nullptr: the real one

}  // namespace platform
