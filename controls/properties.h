#pragma once
// The stored properties of a control instance: what a host window keeps for each
// button and hands back when it creates the button again. Keys match without
// regard to ASCII case; values keep the numeric width they were stored with and
// convert on reading.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "ui/types.h"

namespace controls {

using PropertyValue = std::variant<bool, std::int16_t, std::int32_t, std::string, ui::Picture>;

// Conversions on reading. A value that cannot be converted (a picture read as a
// number, a text that is no number) gives nothing, and the reader takes its default.
std::optional<bool> to_bool(const PropertyValue& v);
std::optional<std::int32_t> to_int32(const PropertyValue& v);
std::optional<std::string> to_text(const PropertyValue& v);
std::optional<ui::Picture> to_picture(const PropertyValue& v);

class PropertyBag {
 public:
  using Entry = std::pair<std::string, PropertyValue>;

  // Stores a value; a key already present (in any case) is replaced in place.
  void write(std::string_view key, PropertyValue value);
  void erase(std::string_view key);
  const PropertyValue* find(std::string_view key) const;
  bool contains(std::string_view key) const { return find(key) != nullptr; }

  bool read_bool(std::string_view key, bool fallback) const;
  std::int32_t read_int32(std::string_view key, std::int32_t fallback) const;
  std::string read_text(std::string_view key, std::string fallback) const;
  ui::Picture read_picture(std::string_view key, ui::Picture fallback) const;

  // In the order written.
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};

}  // namespace controls
