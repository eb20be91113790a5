#include "controls/properties.h"

#include <algorithm>
#include <charconv>

namespace controls {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_key(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return lower(x) == lower(y); });
}

std::optional<std::int32_t> parse_int32(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  std::int32_t n = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
  return n;
}

}  // namespace

std::optional<bool> to_bool(const PropertyValue& v) {
  if (const auto* s = std::get_if<std::string>(&v)) {
    if (same_key(*s, "true")) return true;
    if (same_key(*s, "false")) return false;
    if (const auto n = parse_int32(*s)) return *n != 0;
    return std::nullopt;
  }
  if (const auto n = to_int32(v)) return *n != 0;
  return std::nullopt;
}

std::optional<std::int32_t> to_int32(const PropertyValue& v) {
  // A true boolean is all bits set, as the stored files of the system write it.
  if (const auto* b = std::get_if<bool>(&v)) return *b ? -1 : 0;
  if (const auto* n = std::get_if<std::int16_t>(&v)) return *n;
  if (const auto* n = std::get_if<std::int32_t>(&v)) return *n;
  if (const auto* s = std::get_if<std::string>(&v)) return parse_int32(*s);
  return std::nullopt;
}

std::optional<std::string> to_text(const PropertyValue& v) {
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  if (const auto* b = std::get_if<bool>(&v)) return std::string(*b ? "True" : "False");
  if (const auto n = to_int32(v)) return std::to_string(*n);
  return std::nullopt;
}

std::optional<ui::Picture> to_picture(const PropertyValue& v) {
  if (const auto* p = std::get_if<ui::Picture>(&v)) return *p;
  return std::nullopt;
}

void PropertyBag::write(std::string_view key, PropertyValue value) {
  for (Entry& e : entries_)
    if (same_key(e.first, key)) {
      e.second = std::move(value);
      return;
    }
  entries_.emplace_back(std::string(key), std::move(value));
}

void PropertyBag::erase(std::string_view key) {
  std::erase_if(entries_, [&](const Entry& e) { return same_key(e.first, key); });
}

const PropertyValue* PropertyBag::find(std::string_view key) const {
  for (const Entry& e : entries_)
    if (same_key(e.first, key)) return &e.second;
  return nullptr;
}

bool PropertyBag::read_bool(std::string_view key, bool fallback) const {
  const PropertyValue* v = find(key);
  return v ? to_bool(*v).value_or(fallback) : fallback;
}

std::int32_t PropertyBag::read_int32(std::string_view key, std::int32_t fallback) const {
  const PropertyValue* v = find(key);
  return v ? to_int32(*v).value_or(fallback) : fallback;
}

std::string PropertyBag::read_text(std::string_view key, std::string fallback) const {
  const PropertyValue* v = find(key);
  if (!v) return fallback;
  auto s = to_text(*v);
  return s ? std::move(*s) : std::move(fallback);
}

ui::Picture PropertyBag::read_picture(std::string_view key, ui::Picture fallback) const {
  const PropertyValue* v = find(key);
  return v ? to_picture(*v).value_or(std::move(fallback)) : fallback;
}

}  // namespace controls
