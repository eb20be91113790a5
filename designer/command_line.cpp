#include "designer/command_line.h"

#include <optional>

#include "designer/app.h"
#include "designer/build.h"
#include "platform/platform.h"
#include "resources/version.h"
#include "script/row.h"
#include "utf/utf.h"

namespace designer {
namespace {

using platform::FileError;

constexpr std::string_view kUsage =
    "Quillet " QUILLET_VERSION
    ": конструктор программ из диалоговых окон.\r\n"
    "\r\n"
    "  quillet.exe                                  запускает конструктор.\r\n"
    "  quillet.exe /compile <проект.dlg> [<папка>]  собирает программу без окон.\r\n"
    "  quillet.exe /compile <проект.dlg> [<папка>] /onefile [/icon <значок>]\r\n"
    "                                               собирает её одним файлом.\r\n"
    "  quillet.exe /?                               показывает эту справку.\r\n"
    "\r\n"
    "/compile кладёт в <папку> exe.exe (копию run.exe, который лежит рядом\r\n"
    "с quillet.exe) и main.dlg (копию проекта); старые файлы заменяются целиком.\r\n"
    "С /onefile в <папке> появляется один файл <проект>.exe: run.exe с проектом\r\n"
    "внутри, его можно отправить одним вложением. В Проводнике и Диспетчере\r\n"
    "задач он называется по проекту. /icon даёт ему значок: Ошибка,\r\n"
    "Восклицание, Информация, Вопрос (как в редакторе окна) или файл .ico;\r\n"
    "без /icon у него значок проигрывателя.\r\n"
    "Без <папки> программа собирается в <проект.dlg>_compile рядом с проектом.\r\n"
    "Пути полные или от текущей папки.\r\n"
    "\r\n"
    "Код завершения (ERRORLEVEL):\r\n"
    "  0  программа собрана;\r\n"
    "  1  неверная командная строка;\r\n"
    "  2  проект не найден или не читается;\r\n"
    "  3  папку не удалось создать;\r\n"
    "  4  рядом с quillet.exe нет run.exe;\r\n"
    "  5  файл не удалось скопировать или записать (например, exe.exe\r\n"
    "     сейчас запущен), из имени проекта не получается имя файла\r\n"
    "     или программа заменила бы run.exe или quillet.exe конструктора;\r\n"
    "  6  значок не читается или это не значок .ico.\r\n"
    "\r\n"
    "Пакетный файл ждёт конца сборки; в командной строке пишите\r\n"
    "start /wait quillet.exe /compile ...\r\n";

bool is_switch(std::string_view arg, std::string_view name) {
  if (arg.size() != name.size() + 1 || (arg[0] != '/' && arg[0] != '-')) return false;
  return same_file_name(arg.substr(1), name);
}

// A word with its Latin and Russian capitals made small: "ОШИБКА" -> "ошибка".
std::u32string folded(std::string_view word) {
  std::u32string out;
  for (std::size_t at = 0; at < word.size();) {
    char32_t c;
    at += utf::decode(word.substr(at), c);
    if ((c >= U'A' && c <= U'Z') || (c >= U'А' && c <= U'Я')) c += 0x20;
    if (c == U'Ё') c = U'ё';
    out += c;
  }
  return out;
}

// "C:\out\" and "C:\out" name the same folder; the files go in as "\exe.exe".
std::string without_trailing_separator(std::string path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

std::string because(FileError error) {
  if (error == FileError::None) return {};
  const int number = static_cast<int>(error);
  return ": " + ErrorDescription(number) + " (ошибка " + std::to_string(number) + ")";
}

int Compile(const CommandLine& command, const Output& out) {
  const std::string project = platform::full_path(command.project);
  const std::string folder = command.folder.empty()
                                 ? project + "_compile"
                                 : without_trailing_separator(platform::full_path(command.folder));
  build::Job job;
  job.project_name = file_name_part(project);
  job.one_file = command.one_file;
  job.icon = command.icon;
  if (!job.icon.file.empty()) job.icon.file = platform::full_path(job.icon.file);
  job.project_path = project;
  job.folder = [&folder] { return folder; };
  job.open_project_first = true;
  // The console's transcript from its second line on, without the key prompts.
  bool first = true;
  const auto say = [&](std::string_view piece) {
    if (first && piece.starts_with("\r\n")) piece.remove_prefix(2);
    first = false;
    out(piece);
  };
  for (int step : {1, 3, 5, 6, 7, 9, 10}) {
    FileError error;
    std::string problem;
    const auto stopped = [&](int code, const std::string& reason) {
      say("\r\n" + reason + ".\r\n");
      return code;
    };
    switch (build::RunStep(step, job, say, error, &problem)) {
      case build::Stop::None:
        break;
      case build::Stop::NoProject:
      case build::Stop::ProjectUnreadable:
        return stopped(kExitProjectUnreadable,
                       "Не удалось прочитать проект " + project + because(error));
      case build::Stop::FolderNotMade:
        return stopped(kExitFolderNotMade, "Не удалось создать папку " + folder + because(error));
      case build::Stop::PlayerMissing:
        return stopped(kExitPlayerMissing,
                       "Нет проигрывателя " + platform::program_folder() + "\\run.exe");
      case build::Stop::BadPlayer:
        return stopped(kExitPlayerMissing, "Проигрыватель " + platform::program_folder() +
                                               "\\run.exe не годится: " + problem);
      case build::Stop::BadIcon:
        return stopped(kExitBadIcon, build::IconRefusal(job.icon.file, error, problem));
      case build::Stop::BadProgramName:
        return stopped(kExitCopyFailed, "Из имени проекта " + job.project_name +
                                            " не получается имя программы");
      case build::Stop::OwnProgram: {
        const std::string name = build::ProgramName(job);
        return stopped(kExitCopyFailed,
                       "Программа " + folder + "\\" + name + " заменила бы " +
                           (same_file_name(name, "run.exe") ? "run.exe" : "quillet.exe") +
                           " самого конструктора; выберите другую папку или другое имя проекта");
      }
      case build::Stop::CopyFailed:
        return stopped(kExitCopyFailed,
                       (command.one_file ? "Не удалось записать программу " + folder + "\\" +
                                               build::ProgramName(job)
                                         : "Не удалось скопировать файлы в папку " + folder) +
                           because(error));
    }
  }
  say(build::ExePath(job));
  say("\r\n");
  return kExitOk;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine c;
  if (args.empty()) return c;
  if (is_switch(args[0], "?")) {
    c.kind = CommandLine::Kind::Help;
  } else if (is_switch(args[0], "compile")) {
    // "/onefile" and "/icon <icon>" stand anywhere; the other words keep their order.
    std::vector<std::string> words;
    std::optional<std::string> icon;
    bool icon_twice = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (is_switch(args[i], "onefile")) {
        c.one_file = true;
      } else if (i > 0 && is_switch(args[i], "icon")) {
        icon_twice = icon_twice || icon.has_value();
        icon = ++i < args.size() ? args[i] : std::string();
      } else {
        words.push_back(args[i]);
      }
    }
    c.kind = CommandLine::Kind::BadUsage;
    if (icon && icon->empty())
      c.problem = "после /icon не указан значок";
    else if (icon_twice)
      c.problem = "значок указан дважды";
    else if (icon && !c.one_file)
      c.problem = "значок бывает только у программы одним файлом (/onefile)";
    else if (words.size() < 2)
      c.problem = "не указан проект";
    else if (words.size() > 3)
      c.problem = "лишние слова после папки: " + words[3];
    else if (words[1].empty() || (words.size() == 3 && words[2].empty()))
      c.problem = "пустой путь";
    else {
      c.kind = CommandLine::Kind::Compile;
      c.project = words[1];
      if (words.size() == 3) c.folder = words[2];
      if (icon) {
        for (std::size_t box = 0; box < 4; ++box)
          if (folded(*icon) == folded(script::kIconNames[box])) c.icon.box = static_cast<int>(box);
        if (c.icon.box < 0) c.icon.file = *icon;
      }
    }
  }
  return c;
}

int RunCommandLine(const CommandLine& command, const Output& out) {
  switch (command.kind) {
    case CommandLine::Kind::Compile:
      return Compile(command, out);
    case CommandLine::Kind::Help:
      out(kUsage);
      return kExitOk;
    case CommandLine::Kind::BadUsage:
      out("Неверная командная строка: " + command.problem + ".\r\n\r\n");
      out(kUsage);
      return kExitBadUsage;
    case CommandLine::Kind::Designer:
      break;
  }
  return kExitBadUsage;
}

}  // namespace designer
