// The project file of the main window: reading it into the sequence and writing
// the sequence to it, each with one error box on failure.

#include <string>

#include "designer/app.h"
#include "designer/main_form.h"
#include "designer/save_form.h"
#include "platform/platform.h"
#include "script/script_file.h"
#include "ui/backend.h"

namespace designer {
namespace {

using platform::FileError;

void error_box(std::string_view what, int number) {
  const std::string text = std::string(what) +
                           "\r\nОперация не выполнена.\r\n\r\nОшибка программы №" +
                           std::to_string(number) + "\r\n" + ErrorDescription(number);
  ui::message_box(text, ui::mb::Critical | ui::mb::Ok, "Quillet - Errorик");
}

constexpr std::string_view kOpenFailed = "Произошла ошибка при открытии файла.";
constexpr std::string_view kWriteFailed = "Произошла ошибка при записи файла.";

class FileSource : public script::ByteSource {
 public:
  explicit FileSource(platform::InputFile& file) : file_(file) {}
  std::int64_t read(char* buf, std::size_t n) override { return file_.read(buf, n); }

 private:
  platform::InputFile& file_;
};

std::string project_caption(const std::string& name) { return "Quillet - [" + name + "]"; }

}  // namespace

void main_form::OpenFile(const std::string& fl) {
  if (!SaveChangesPrompt()) return;

  FileError error;
  auto file = platform::open_for_reading(fl, error);
  if (!file) return error_box(kOpenFailed, static_cast<int>(error));
  FileSource source(*file);
  // Read into a scratch copy: the rows change only once all fifteen lines are in.
  script::Rows rows;
  switch (script::read_rows(source, rows)) {
    case script::ReadStatus::Ok: break;
    case script::ReadStatus::TooShort: return error_box(kOpenFailed, 62);
    case script::ReadStatus::TooLong: return error_box(kOpenFailed, static_cast<int>(FileError::OutOfMemory));
    case script::ReadStatus::Failed: return error_box(kOpenFailed, static_cast<int>(FileError::DeviceIo));
  }
  file.reset();

  dlg_rows = std::move(rows);
  file_name = std::string(file_name_part(fl));
  set_caption(project_caption(file_name));
  StartHistory();  // a fresh history, and the rows as opened are the saved ones
  UpdateText();
}

void main_form::WriteFile(const std::string& fl) {
  const FileError error = platform::write_file(fl, script::write_rows(dlg_rows));
  if (error != FileError::None) return error_box(kWriteFailed, static_cast<int>(error));
  if (file_name.empty() || saving_as_) {
    // Only the save-as window writes an untitled sequence; its name box names it.
    const save_form* s = ui::Single<save_form>::if_loaded();
    file_name = s ? s->Text1.text() + ".dlg" : std::string(file_name_part(fl));
  }
  set_caption(project_caption(file_name));
  history_.saved(dlg_rows);
  changed = false;
  UpdateScheme();  // its caption names the project
}

}  // namespace designer
