#include "designer/app.h"

#include <algorithm>
#include <string>

#include "ui/backend.h"

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
