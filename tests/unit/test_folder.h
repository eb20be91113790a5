#pragma once
// A fresh folder per test, removed afterwards, with paths written the way the
// designer writes them ("\" between folder and name).

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

class TestFolder {
 public:
  TestFolder() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("quillet-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TestFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  // The folder as the designer spells it, without a trailing separator.
  std::string str() const { return path_.string(); }
  std::string operator/(const std::string& name) const { return str() + "\\" + name; }
  std::filesystem::path native(const std::string& name) const { return path_ / name; }

  void put(const std::string& name, const std::string& bytes) const {
    std::ofstream(native(name), std::ios::binary) << bytes;
  }
  std::string get(const std::string& name) const {
    std::ifstream in(native(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  bool has(const std::string& name) const { return std::filesystem::exists(native(name)); }
  // Names of everything in the folder, or in a folder inside it, sorted.
  std::vector<std::string> entries(const std::string& inside = {}) const {
    std::vector<std::string> names;
    for (const auto& e :
         std::filesystem::directory_iterator(inside.empty() ? path_ : native(inside)))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};
