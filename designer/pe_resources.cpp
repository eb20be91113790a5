#include "designer/pe_resources.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "utf/utf.h"

namespace designer::pe {
namespace {

constexpr std::size_t kResources = 2, kSecurity = 4, kRelocations = 5;
constexpr std::uint32_t kSubdirectory = 0x80000000u;  // in a directory entry: a table, or a name
constexpr std::uint32_t kInitializedData = 0x40;      // section characteristics
// Bounds that keep a hostile resource directory from costing more than a real one:
// resources, their data (read, never more than the file holds), and the directory
// (tables, entries and names as laid out, and the names each resource holds a copy
// of).
constexpr std::size_t kMaxResources = 4096;
constexpr std::size_t kMaxResourceBytes = 256u << 20;
constexpr std::size_t kMaxDirectoryBytes = 16u << 20;
constexpr std::size_t kMaxNameLength = 0xFFFF;  // a name's length is 16 bits
constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;

std::uint16_t get16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}
std::uint32_t get32(std::string_view b, std::size_t at) {
  return get16(b, at) | static_cast<std::uint32_t>(get16(b, at + 2)) << 16;
}
void set16(std::string& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}
void set32(std::string& b, std::size_t at, std::uint32_t v) {
  set16(b, at, v & 0xFFFF);
  set16(b, at + 2, v >> 16);
}
void add32(std::string& b, std::uint32_t v) {
  b.append(4, '\0');
  set32(b, b.size() - 4, v);
}

bool fits(std::string_view b, std::uint64_t at, std::uint64_t n) {
  return at <= b.size() && n <= b.size() - at;
}
std::uint64_t align_up(std::uint64_t v, std::uint32_t to) { return (v + to - 1) / to * to; }
bool power_of_two(std::uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

struct Section {
  std::size_t header = 0;  // where its entry in the section table lies
  std::uint32_t virtual_size = 0, address = 0, raw_size = 0, raw_offset = 0, flags = 0;
  std::uint32_t extent() const { return std::max(virtual_size, raw_size); }
};

struct Directory {
  std::uint32_t address = 0, size = 0;
};

// The headers and the sections of a program file that this writer can rewrite.
struct Layout {
  std::size_t optional = 0;     // the optional header
  std::size_t directories = 0;  // its data directories
  std::uint32_t file_alignment = 0, section_alignment = 0;
  std::vector<Section> sections;
  std::size_t directory_count = 0;   // in the file
  std::vector<Directory> directory;  // those, and empty ones up to kRelocations
  std::size_t resources = 0;         // the section the resource directory starts
  std::size_t relocations = 0;       // the section after it, if any: the base relocations

  // The file bytes of `size` bytes at an address, if a section holds them all.
  std::optional<std::string_view> bytes_at(std::string_view image, std::uint32_t address,
                                           std::uint32_t size) const {
    for (const Section& s : sections)
      if (address >= s.address && address - s.address < s.raw_size &&
          size <= s.raw_size - (address - s.address))
        return image.substr(s.raw_offset + (address - s.address), size);
    return std::nullopt;
  }
};

bool fail(std::string& problem, std::string why) {
  problem = std::move(why);
  return false;
}

bool read_layout(std::string_view image, Layout& l, std::string& problem) {
  if (!fits(image, 0, 0x40) || image.substr(0, 2) != "MZ")
    return fail(problem, "это не программа Windows");
  const std::uint32_t pe = get32(image, 0x3C);
  if (pe < 0x40 || !fits(image, pe, 24) || image.substr(pe, 4) != std::string_view("PE\0\0", 4))
    return fail(problem, "это не программа Windows");
  const std::size_t coff = pe + 4;
  const std::size_t section_count = get16(image, coff + 2);
  if (get32(image, coff + 8) != 0) return fail(problem, "в программе осталась таблица символов");
  const std::size_t optional_size = get16(image, coff + 16);
  l.optional = coff + 20;
  if (!fits(image, l.optional, optional_size) || optional_size < 2)
    return fail(problem, "заголовок программы обрывается");
  const std::uint16_t magic = get16(image, l.optional);
  if (magic != 0x10B && magic != 0x20B) return fail(problem, "неизвестный вид заголовка");
  l.directories = l.optional + (magic == 0x20B ? 112 : 96);
  if (l.directories > l.optional + optional_size)
    return fail(problem, "заголовок программы обрывается");
  const std::size_t directory_count = l.directory_count = std::min<std::size_t>(
      get32(image, l.directories - 4), (l.optional + optional_size - l.directories) / 8);
  if (directory_count <= kResources) return fail(problem, "в программе нет ресурсов");
  l.directory.resize(std::max(directory_count, kRelocations + 1));
  for (std::size_t d = 0; d < directory_count; ++d)
    l.directory[d] = {get32(image, l.directories + 8 * d), get32(image, l.directories + 8 * d + 4)};
  l.section_alignment = get32(image, l.optional + 32);
  l.file_alignment = get32(image, l.optional + 36);
  if (!power_of_two(l.file_alignment) || l.file_alignment < 512 || l.file_alignment > 65536 ||
      !power_of_two(l.section_alignment) || l.section_alignment < l.file_alignment)
    return fail(problem, "необычное выравнивание секций");

  const std::size_t table = l.optional + optional_size;
  if (section_count == 0 || !fits(image, table, 40 * section_count))
    return fail(problem, "таблица секций обрывается");
  std::uint64_t file_end = table + 40 * section_count;
  for (std::size_t i = 0; i < section_count; ++i) {
    Section s;
    s.header = table + 40 * i;
    s.virtual_size = get32(image, s.header + 8);
    s.address = get32(image, s.header + 12);
    s.raw_size = get32(image, s.header + 16);
    s.raw_offset = s.raw_size ? get32(image, s.header + 20) : 0;
    s.flags = get32(image, s.header + 36);
    if (!fits(image, s.raw_offset, s.raw_size))
      return fail(problem, "секция выходит за конец файла");
    if (!l.sections.empty() &&
        s.address < std::uint64_t{l.sections.back().address} + l.sections.back().extent())
      return fail(problem, "секции идут не по порядку");
    file_end = std::max(file_end, std::uint64_t{s.raw_offset} + s.raw_size);
    l.sections.push_back(s);
  }
  if (file_end != image.size())
    return fail(problem, "после последней секции есть данные (подпись или приложенный файл)");
  // The headers are rewritten in place, in the part of the file that is copied
  // first: they must lie wholly before the data of every section, and so must the
  // size the loader maps as headers.
  const std::uint64_t headers_end = table + 40 * section_count;
  const std::uint32_t headers_size = get32(image, l.optional + 60);
  for (const Section& s : l.sections) {
    if (s.raw_size == 0) continue;
    if (s.raw_offset < headers_end)
      return fail(problem, "заголовки программы лежат не перед секциями");
    if (s.raw_offset < headers_size) return fail(problem, "размер заголовков заходит в секции");
  }
  if (headers_size < headers_end) return fail(problem, "размер заголовков меньше самих заголовков");
  if (l.directory[kSecurity].address != 0) return fail(problem, "программа подписана");

  const std::uint32_t at = l.directory[kResources].address;
  const auto r = std::find_if(l.sections.begin(), l.sections.end(),
                              [&](const Section& s) { return s.address == at; });
  if (at == 0 || r == l.sections.end() || r->raw_size == 0)
    return fail(problem, "ресурсы лежат не в своей секции");
  l.resources = static_cast<std::size_t>(r - l.sections.begin());
  const Directory relocations = l.directory[kRelocations];
  const std::size_t after = l.sections.size() - l.resources - 1;
  if (after > 1 ||
      (after == 1 && (relocations.address != l.sections.back().address ||
                      relocations.size > l.sections.back().virtual_size ||
                      l.sections.back().raw_offset < std::uint64_t{r->raw_offset} + r->raw_size)))
    return fail(problem, "за ресурсами лежат секции, которые нельзя сдвинуть");
  l.relocations = after == 1 ? l.sections.size() - 1 : 0;

  // What moves must be addressed by nothing but its directory entries: the base
  // relocations either lie wholly before the resources and stay, or are the last
  // section's own and move with it.
  const std::uint32_t moving = r->address;
  for (std::size_t d = 0; d < l.directory.size(); ++d)
    if (d != kResources && d != kRelocations && l.directory[d].address != 0 &&
        (l.directory[d].address >= moving ||
         std::uint64_t{l.directory[d].address} + l.directory[d].size > moving))
      return fail(problem, "за ресурсами лежат данные, которые нельзя сдвинуть");
  if (relocations.address != 0 && !l.relocations &&
      std::uint64_t{relocations.address} + relocations.size > moving)
    return fail(problem, "таблица перемещений лежит в ресурсах");
  if (get32(image, l.optional + 16) >= moving) return fail(problem, "точка входа лежит в ресурсах");
  for (std::size_t i = 0; i < l.resources; ++i)
    if (std::uint64_t{l.sections[i].raw_offset} + l.sections[i].raw_size > r->raw_offset)
      return fail(problem, "секции идут не по порядку");
  if (relocations.address != 0) {
    const auto blocks = l.bytes_at(image, relocations.address, relocations.size);
    if (!blocks) return fail(problem, "таблица перемещений обрывается");
    for (std::size_t b = 0; b + 8 <= blocks->size();) {
      const std::uint32_t page = get32(*blocks, b), size = get32(*blocks, b + 4);
      if (size < 8 || size > blocks->size() - b)
        return fail(problem, "таблица перемещений обрывается");
      for (std::size_t e = b + 8; e + 2 <= b + size; e += 2) {
        const std::uint16_t entry = get16(*blocks, e);
        const unsigned type = entry >> 12;  // 0 pads a block; the others patch 2, 4 or 8 bytes
        const unsigned width = type == 10 ? 8 : type == 3 ? 4 : 2;
        if (type != 0 && std::uint64_t{page} + (entry & 0xFFFu) + width > moving)
          return fail(problem, "перемещения указывают в ресурсы");
      }
      b += size;
    }
  }
  return true;
}

// Reads the three levels of the resource directory: type, name, language.
class TreeReader {
 public:
  TreeReader(std::string_view image, const Layout& l, std::vector<Resource>& out)
      : image_(image), layout_(l), out_(out) {
    const Section& s = l.sections[l.resources];
    tree_ = image.substr(s.raw_offset,
                         s.virtual_size ? std::min(s.raw_size, s.virtual_size) : s.raw_size);
  }

  bool read(std::string& problem) { return table(0, 0, {}, {}, problem); }

 private:
  bool table(int level, std::uint32_t at, const ResourceId& type, const ResourceId& name,
             std::string& problem) {
    if (++tables_ > 2 * kMaxResources + 1) return fail(problem, "слишком много ресурсов");
    if (!fits(tree_, at, 16)) return fail(problem, "каталог ресурсов обрывается");
    const std::size_t count = std::size_t{get16(tree_, at + 12)} + get16(tree_, at + 14);
    if (!fits(tree_, at + 16, 8 * count)) return fail(problem, "каталог ресурсов обрывается");
    if (!spend(16 + 8 * count)) return fail(problem, "слишком много ресурсов");
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint32_t key = get32(tree_, at + 16 + 8 * i);
      const std::uint32_t target = get32(tree_, at + 16 + 8 * i + 4);
      ResourceId id;
      if (key & kSubdirectory) {
        if (level == 2 || !string(key & ~kSubdirectory, id.name))
          return fail(problem, "неверное имя ресурса");
        if (!spend(2 + 2 * id.name.size())) return fail(problem, "слишком много ресурсов");
      } else {
        if (key > 0xFFFF) return fail(problem, "неверный номер ресурса");
        id.number = static_cast<std::uint16_t>(key);
      }
      const bool subdirectory = (target & kSubdirectory) != 0;
      if (subdirectory != (level < 2)) return fail(problem, "каталог ресурсов не в три уровня");
      if (level == 0 && !table(1, target & ~kSubdirectory, id, {}, problem)) return false;
      if (level == 1 && !table(2, target & ~kSubdirectory, type, id, problem)) return false;
      if (level == 2 && !leaf(target, type, name, id.number, problem)) return false;
    }
    return true;
  }

  bool string(std::uint32_t at, std::u16string& name) const {
    if (!fits(tree_, at, 2)) return false;
    const std::size_t length = get16(tree_, at);
    if (length == 0 || !fits(tree_, at + 2, 2 * length)) return false;
    name.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
      name += static_cast<char16_t>(get16(tree_, at + 2 + 2 * i));
    return true;
  }

  // Counts directory bytes read, and the names every resource keeps a copy of, so
  // that tables, entries or names read again and again cannot cost more than the
  // directory of a real program.
  bool spend(std::size_t bytes) {
    directory_ += bytes;
    return directory_ <= kMaxDirectoryBytes;
  }

  bool leaf(std::uint32_t at, const ResourceId& type, const ResourceId& name,
            std::uint16_t language, std::string& problem) {
    if (!fits(tree_, at, 16)) return fail(problem, "каталог ресурсов обрывается");
    const auto data = layout_.bytes_at(image_, get32(tree_, at), get32(tree_, at + 4));
    if (!data) return fail(problem, "данные ресурса лежат вне файла");
    bytes_ += data->size();  // data shared by many entries counts each time
    if (out_.size() == kMaxResources || bytes_ > std::min(kMaxResourceBytes, image_.size()) ||
        !spend(16 + 2 * (type.name.size() + name.name.size())))
      return fail(problem, "слишком много ресурсов");
    out_.push_back({type, name, language, get32(tree_, at + 8), std::string(*data)});
    return true;
  }

  std::string_view image_;
  const Layout& layout_;
  std::vector<Resource>& out_;
  std::string_view tree_;
  std::size_t bytes_ = 0;
  std::size_t directory_ = 0;
  std::size_t tables_ = 0;
};

// The order the loader's binary search expects: names (compared as the resource
// compiler stores them, in upper case) before numbers.
bool id_less(const ResourceId& a, const ResourceId& b) {
  if (a.name.empty() != b.name.empty()) return !a.name.empty();
  if (a.name.empty()) return a.number < b.number;
  const auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c; };
  return std::lexicographical_compare(
      a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
      [&](char16_t x, char16_t y) { return upper(x) != upper(y) ? upper(x) < upper(y) : x < y; });
}

// The resource section for sorted resources placed at `address`: the directory
// tables level by level, then the names, the data entries and the data, each
// datum aligned to 8 bytes.
std::string resource_section(const std::vector<Resource>& sorted, std::uint32_t address) {
  struct Name {
    const ResourceId* id;
    std::vector<std::size_t> leaves;
  };
  struct Type {
    const ResourceId* id;
    std::vector<Name> names;
  };
  std::vector<Type> types;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    const Resource& r = sorted[i];
    if (types.empty() || !(*types.back().id == r.type)) types.push_back({&r.type, {}});
    auto& names = types.back().names;
    if (names.empty() || !(*names.back().id == r.name)) names.push_back({&r.name, {}});
    names.back().leaves.push_back(i);
  }

  const auto table_size = [](std::size_t entries) { return 16 + 8 * entries; };
  std::size_t tables = table_size(types.size()), strings = 0;
  const auto count_string = [&](const ResourceId& id) {
    if (!id.name.empty()) strings += 2 + 2 * id.name.size();
  };
  for (const Type& t : types) {
    tables += table_size(t.names.size());
    count_string(*t.id);
    for (const Name& n : t.names) {
      tables += table_size(n.leaves.size());
      count_string(*n.id);
    }
  }
  const std::size_t entries_at = align_up(tables + strings, 8);
  std::size_t data_at = entries_at + 16 * sorted.size();

  std::string out(entries_at, '\0');
  std::size_t next_table = 0, next_string = tables;
  // A table of these keys, names first as sorted; their names go to the string area.
  const auto begin_table = [&](const std::vector<const ResourceId*>& keys) {
    const std::size_t at = next_table;
    next_table += table_size(keys.size());
    const auto named = std::count_if(keys.begin(), keys.end(),
                                     [](const ResourceId* k) { return !k->name.empty(); });
    set16(out, at + 12, static_cast<std::uint32_t>(named));
    set16(out, at + 14, static_cast<std::uint32_t>(keys.size() - named));
    for (std::size_t i = 0; i < keys.size(); ++i) {
      const std::u16string& name = keys[i]->name;
      if (name.empty()) {
        set32(out, at + 16 + 8 * i, keys[i]->number);
        continue;
      }
      set32(out, at + 16 + 8 * i, static_cast<std::uint32_t>(next_string) | kSubdirectory);
      set16(out, next_string, static_cast<std::uint32_t>(name.size()));
      for (std::size_t c = 0; c < name.size(); ++c) set16(out, next_string + 2 + 2 * c, name[c]);
      next_string += 2 + 2 * name.size();
    }
    return at;
  };
  const auto set_target = [&](std::size_t table, std::size_t i, std::size_t at, bool subdirectory) {
    set32(out, table + 16 + 8 * i + 4,
          static_cast<std::uint32_t>(at) | (subdirectory ? kSubdirectory : 0));
  };

  std::vector<const ResourceId*> keys;
  for (const Type& t : types) keys.push_back(t.id);
  const std::size_t root = begin_table(keys);
  std::vector<std::size_t> type_tables;
  for (std::size_t t = 0; t < types.size(); ++t) {
    keys.clear();
    for (const Name& n : types[t].names) keys.push_back(n.id);
    type_tables.push_back(begin_table(keys));
    set_target(root, t, type_tables.back(), true);
  }
  std::size_t entry = entries_at;
  for (std::size_t t = 0; t < types.size(); ++t)
    for (std::size_t n = 0; n < types[t].names.size(); ++n) {
      const Name& name = types[t].names[n];
      std::vector<ResourceId> languages;
      for (const std::size_t leaf : name.leaves) languages.push_back({sorted[leaf].language, {}});
      keys.clear();
      for (const ResourceId& language : languages) keys.push_back(&language);
      const std::size_t table = begin_table(keys);
      set_target(type_tables[t], n, table, true);
      for (std::size_t l = 0; l < name.leaves.size(); ++l, entry += 16)
        set_target(table, l, entry, false);
    }

  // Data entries in the order of the leaves, the data after them in that order.
  for (const Resource& r : sorted) {
    data_at = align_up(data_at, 8);
    add32(out, static_cast<std::uint32_t>(address + data_at));
    add32(out, static_cast<std::uint32_t>(r.data.size()));
    add32(out, r.code_page);
    add32(out, 0);
    data_at += r.data.size();
  }
  for (const Resource& r : sorted) {
    out.resize(align_up(out.size(), 8), '\0');
    out += r.data;
  }
  return out;
}

}  // namespace

bool ReadResources(std::string_view image, std::vector<Resource>& resources, std::string& problem) {
  resources.clear();
  Layout layout;
  if (read_layout(image, layout, problem) && TreeReader(image, layout, resources).read(problem))
    return true;
  resources.clear();
  return false;
}

std::string WithResources(std::string_view image, std::vector<Resource> resources,
                          std::string& problem) {
  Layout l;
  if (!read_layout(image, l, problem)) return {};
  const auto less = [](const Resource& a, const Resource& b) {
    if (!(a.type == b.type)) return id_less(a.type, b.type);
    if (!(a.name == b.name)) return id_less(a.name, b.name);
    return a.language < b.language;
  };
  std::stable_sort(resources.begin(), resources.end(), less);
  for (std::size_t i = 1; i < resources.size(); ++i)
    if (!less(resources[i - 1], resources[i])) {
      problem = "один и тот же ресурс дважды";
      return {};
    }

  // The same bounds as for reading: the data, and the directory with its names.
  std::size_t bytes = 0, directory = 0;
  for (const Resource& resource : resources) {
    bytes += resource.data.size();
    directory += 16;
    for (const ResourceId* id : {&resource.type, &resource.name}) {
      if (id->name.size() > kMaxNameLength) {
        problem = "неверное имя ресурса";
        return {};
      }
      directory += 2 * id->name.size();
    }
  }
  if (resources.size() > kMaxResources || bytes > kMaxResourceBytes ||
      directory > kMaxDirectoryBytes) {
    problem = "слишком много ресурсов";
    return {};
  }
  Section& r = l.sections[l.resources];
  const std::string section = resource_section(resources, r.address);
  // The resources and the relocations behind them must still end below 4 GB, in
  // the file and in memory.
  const std::uint64_t raw_size = align_up(section.size(), l.file_alignment);
  const std::uint64_t moved_to = align_up(std::uint64_t{r.address} + raw_size, l.section_alignment);
  std::uint64_t image_end = moved_to, file_end = std::uint64_t{r.raw_offset} + raw_size;
  if (l.relocations) {
    image_end = align_up(moved_to + l.sections[l.relocations].extent(), l.section_alignment);
    file_end += l.sections[l.relocations].raw_size;
  }
  if (image_end >= kAddressSpace || file_end >= kAddressSpace) {
    problem = "программа с ресурсами вышла бы больше 4 ГБ";
    return {};
  }

  std::string out(image.substr(0, r.raw_offset));
  std::uint32_t initialized = get32(image, l.optional + 8);
  const auto resize = [&](Section& s, std::uint32_t virtual_size, std::uint32_t new_raw_size) {
    if (s.flags & kInitializedData) initialized += new_raw_size - s.raw_size;  // modulo 2^32
    s.virtual_size = virtual_size;
    s.raw_size = new_raw_size;
  };
  resize(r, static_cast<std::uint32_t>(section.size()), static_cast<std::uint32_t>(raw_size));
  out += section;
  out.resize(r.raw_offset + r.raw_size, '\0');
  if (l.relocations) {
    Section& moved = l.sections[l.relocations];
    out += image.substr(moved.raw_offset, moved.raw_size);
    const auto address = static_cast<std::uint32_t>(moved_to);
    if (l.directory[kRelocations].address != 0) l.directory[kRelocations].address = address;
    moved.address = address;
    moved.raw_offset = r.raw_offset + r.raw_size;
  }
  l.directory[kResources].size = static_cast<std::uint32_t>(section.size());

  // Only the resources and what follows them change; the headers of the sections
  // before them keep their bytes (an empty section's offset is read as 0).
  for (std::size_t i = l.resources; i < l.sections.size(); ++i) {
    const Section& s = l.sections[i];
    set32(out, s.header + 8, s.virtual_size);
    set32(out, s.header + 12, s.address);
    set32(out, s.header + 16, s.raw_size);
    set32(out, s.header + 20, s.raw_offset);
  }
  for (const std::size_t d : {kResources, kRelocations}) {
    if (d >= l.directory_count) continue;
    set32(out, l.directories + 8 * d, l.directory[d].address);
    set32(out, l.directories + 8 * d + 4, l.directory[d].size);
  }
  set32(out, l.optional + 8, initialized);
  set32(out, l.optional + 56, static_cast<std::uint32_t>(image_end));
  set32(out, l.optional + 64, 0);
  set32(out, l.optional + 64, Checksum(out));
  return out;
}

std::string IconGroup(const std::vector<IconImage>& images, std::uint16_t first) {
  std::string out(6, '\0');
  set16(out, 2, 1);  // icons
  set16(out, 4, static_cast<std::uint32_t>(images.size()));
  for (std::size_t i = 0; i < images.size(); ++i) {
    const IconImage& image = images[i];
    std::string entry(14, '\0');
    entry[0] = static_cast<char>(image.width);
    entry[1] = static_cast<char>(image.height);
    entry[2] = static_cast<char>(image.colors);
    set16(entry, 4, image.planes);
    set16(entry, 6, image.bit_count);
    set32(entry, 8, static_cast<std::uint32_t>(image.data.size()));
    set16(entry, 12, static_cast<std::uint32_t>(first + i));
    out += entry;
  }
  return out;
}

namespace {

// One block of a version resource: its length, its value's length (in UTF-16
// units for a text, the terminator counted; in bytes otherwise), its type (1 a
// text), its key, then its value and its children, each started on 4 bytes.
std::string version_block(std::string_view key, const std::string& value,
                          std::uint32_t value_length, bool text,
                          const std::vector<std::string>& children = {}) {
  std::string b(6, '\0');
  const auto pad = [&b] { b.resize(align_up(b.size(), 4), '\0'); };
  for (const char c : key) {  // the keys are ASCII
    b.append(2, '\0');
    set16(b, b.size() - 2, static_cast<unsigned char>(c));
  }
  b.append(2, '\0');
  pad();
  b += value;
  for (const std::string& child : children) {
    pad();
    b += child;
  }
  set16(b, 0, static_cast<std::uint32_t>(b.size()));
  set16(b, 2, value_length);
  set16(b, 4, text ? 1 : 0);
  return b;
}

// A UTF-8 text as UTF-16 units with their terminator, as bytes.
std::string utf16_bytes(std::string_view text) {
  std::wstring units;
  for (std::size_t at = 0; at < text.size();) {
    char32_t c;
    at += utf::decode(text.substr(at), c);
    utf::append_utf16(units, c);
  }
  std::string out(2 * units.size() + 2, '\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    set16(out, 2 * i, static_cast<std::uint32_t>(units[i]));
  return out;
}

}  // namespace

std::string VersionResource(const VersionInfo& info) {
  const auto pair = [](const std::array<std::uint16_t, 4>& v, int from) {
    return static_cast<std::uint32_t>(v[from]) << 16 | v[from + 1];
  };
  std::string fixed;
  for (const std::uint32_t field :
       {0xFEEF04BDu, 0x00010000u, pair(info.file_version, 0), pair(info.file_version, 2),
        pair(info.product_version, 0), pair(info.product_version, 2),
        0x3Fu,            // the flags that are meaningful
        0u, 0x00040004u,  // no flags; for Windows NT
        1u, 0u,           // a program
        0u, 0u})          // no date
    add32(fixed, field);
  std::vector<std::string> strings;
  for (const auto& [name, text] : info.strings) {
    const std::string value = utf16_bytes(text);
    strings.push_back(
        version_block(name, value, static_cast<std::uint32_t>(value.size() / 2), true));
  }
  char table[9];
  std::snprintf(table, sizeof table, "%04X04B0", static_cast<unsigned>(info.language));
  std::string translation;
  add32(translation, info.language | 1200u << 16);  // the language, UTF-16
  return version_block(
      "VS_VERSION_INFO", fixed, static_cast<std::uint32_t>(fixed.size()), false,
      {version_block("StringFileInfo", {}, 0, true, {version_block(table, {}, 0, true, strings)}),
       version_block("VarFileInfo", {}, 0, true,
                     {version_block("Translation", translation, 4, false)})});
}

std::uint32_t Checksum(std::string_view image) {
  std::size_t skip = image.size();  // the checksum field, when there is a header
  if (fits(image, 0x3C, 4)) {
    const std::uint64_t field = std::uint64_t{get32(image, 0x3C)} + 24 + 64;
    if (fits(image, field, 4)) skip = static_cast<std::size_t>(field);
  }
  std::uint64_t sum = 0;
  for (std::size_t at = 0; at < image.size(); at += 2) {
    if (at == skip || at == skip + 2) continue;
    sum += at + 1 < image.size() ? get16(image, at) : static_cast<unsigned char>(image[at]);
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint32_t>(sum + image.size());
}

}  // namespace designer::pe
