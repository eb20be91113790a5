#include "designer/app.h"

#include <algorithm>
#include <string>
#include <vector>

#include "ui/backend.h"
#include "utf/utf.h"

namespace designer {

const std::array<std::string, 10>& tips() {
  static const std::array<std::string, 10> all = {
      "Вы можете сразу смотреть Ваш проект, нажав кнопку Запуск.",
      "Ваши проекты Вы можете найти в корневой папке приложения.",
      "При сохранении не вводите расширение файла - оно прибавится автоматически.",
      "Скомпилированные файлы Вы сомжете найти в каталоге C:\\.",
      "Сохраните файл перед компиляцией, в C:\\ не должно быть его папки.",
      "Увидели сообщение 'Run-time Error'? Напишите: " + std::string(kContactMail),
      "Новейшая версия программы - на сайте " + std::string(kContactSite),
      "Что-то на экране выглядит не так? Пишите: " + std::string(kContactMail),
      "Предложения и пожелания присылайте на " + std::string(kContactMail),
      "Программы, игры, аниме, музыка - на сайте " + std::string(kContactSite),
  };
  return all;
}

bool same_file_name(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

std::string_view file_name_part(std::string_view path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

namespace {

// "«a»", "«a» и «b»", "«a», «b» и «c»".
std::string listed(const std::vector<std::string>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i)
    out += (i == 0 ? "" : i + 1 == items.size() ? " и " : ", ") + items[i];
  return out;
}

}  // namespace

std::string forbidden_in_file_name(std::string_view name, bool& has_path) {
  std::vector<std::string> shown;  // as «c», each once
  std::vector<std::string> codes;  // control characters by their codes
  has_path = false;
  while (!name.empty()) {
    char32_t c;
    name.remove_prefix(utf::decode(name, c));
    if (c < 32) {
      const std::string code = std::to_string(static_cast<unsigned>(c));
      if (std::find(codes.begin(), codes.end(), code) == codes.end()) codes.push_back(code);
    } else if (c < 128 && std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) !=
                              std::string_view::npos) {
      has_path = has_path || c == '\\' || c == '/';
      const std::string quoted = "«" + std::string(1, static_cast<char>(c)) + "»";
      if (std::find(shown.begin(), shown.end(), quoted) == shown.end()) shown.push_back(quoted);
    }
  }
  std::vector<std::string> parts;
  if (!shown.empty()) parts.push_back((shown.size() == 1 ? "символ " : "символы ") + listed(shown));
  if (!codes.empty())
    parts.push_back(codes.size() == 1 ? "управляющий символ с кодом " + codes[0]
                                      : "управляющие символы с кодами " + listed(codes));
  return listed(parts);
}

std::string device_of(std::string_view name) {
  std::string base(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  static const char* const kPlain[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kPlain)
    if (base == device) return base;
  // COM and LPT with a digit, superscripts ¹ ² ³ included.
  for (const char* port : {"COM", "LPT"}) {
    if (!base.starts_with(port)) continue;
    const std::string_view number = std::string_view(base).substr(3);
    if ((number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "¹" ||
        number == "²" || number == "³")
      return base;
  }
  return {};
}

bool is_file_name(std::string_view name) {
  bool has_path = false;
  return !name.empty() && forbidden_in_file_name(name, has_path).empty() &&
         device_of(name).empty() && utf::widen(std::string(name)).size() <= kLongestFileName;
}

std::string ErrorDescription(int number) {
  switch (number) {
    case 7: return "Недостаточно памяти";
    case 52: return "Неверное имя или номер файла";
    case 53: return "Файл не найден";
    case 57: return "Ошибка ввода-вывода устройства";
    case 61: return "Диск заполнен";
    case 62: return "Попытка чтения за концом файла";
    case 70: return "Доступ запрещён";
    case 75: return "Ошибка доступа к пути или файлу";
    case 76: return "Путь не найден";
    default: return "Ошибка файла";
  }
}

int MsgBox(std::string_view text, unsigned style) {
  return ui::message_box(text, style, kAppTitle);
}

}  // namespace designer
