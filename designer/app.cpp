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

int MsgBox(std::string_view text, unsigned style) {
  return ui::message_box(text, style, kAppTitle);
}

}  // namespace designer
