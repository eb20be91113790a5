// What passes between the program and the system: the clipboard (texts, pictures
// and data of the program's own formats, both ways), the save and open dialogs
// and PNG files from the system's own encoder. comdlg32 and the encoder are loaded
// at their first use, never at the program's start.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <wincodec.h>
// clang-format on

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ui/win32/exported.h"
#include "ui/win32/peers.h"

namespace ui::win32 {
namespace {

// The identities of the encoder, given here rather than taken from a library,
// so that nothing of it is imported.
constexpr GUID kClsidPngEncoder = {
    0x27949969, 0x876a, 0x41d7, {0x94, 0x47, 0x56, 0x8f, 0x6a, 0x35, 0xa4, 0xdc}};
constexpr GUID kIidBitmapEncoder = {
    0x00000103, 0xa8f2, 0x4877, {0xba, 0x0a, 0xfd, 0x2b, 0x66, 0x45, 0xfb, 0x94}};
constexpr GUID kClsidImagingFactory = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr GUID kIidImagingFactory = {
    0xec5ec8a9, 0xc395, 0x4314, {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
constexpr GUID kContainerPng = {
    0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
constexpr GUID kPixels24bppBgr = {
    0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};

// Releases a COM interface when it goes.
template <class T>
class Com {
 public:
  Com() = default;
  ~Com() {
    if (p_) p_->Release();
  }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  T** out() { return &p_; }
  void** out_void() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

std::string hresult_text(HRESULT hr) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  return code;
}

// A picture's rows as 24-bit BGR, each padded to 4 bytes.
UINT stride_of(const Bitmap& picture) { return static_cast<UINT>((picture.width * 3 + 3) & ~3); }

void write_bgr_row(const Bitmap& picture, int y, BYTE* row) {
  for (int x = 0; x < picture.width; ++x) {
    const std::uint32_t p = picture.at(x, y);
    row[3 * x] = static_cast<BYTE>(p);
    row[3 * x + 1] = static_cast<BYTE>(p >> 8);
    row[3 * x + 2] = static_cast<BYTE>(p >> 16);
  }
}

HGLOBAL global_copy(const void* data, std::size_t size) {
  const HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!g) return nullptr;
  void* at = GlobalLock(g);
  if (!at) {
    GlobalFree(g);
    return nullptr;
  }
  std::memcpy(at, data, size);
  GlobalUnlock(g);
  return g;
}

// A device-independent bitmap as the clipboard keeps it: the header, then 24-bit
// rows from the bottom, written straight into the memory the clipboard takes.
HGLOBAL clipboard_dib(const Bitmap& picture) {
  const UINT stride = stride_of(picture);
  const std::size_t rows =
      static_cast<std::size_t>(stride) * static_cast<std::size_t>(picture.height);
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = picture.width;
  h.biHeight = picture.height;
  h.biPlanes = 1;
  h.biBitCount = 24;
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(rows);
  const HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof h + rows);
  if (!g) return nullptr;
  auto* dib = static_cast<BYTE*>(GlobalLock(g));
  if (!dib) {
    GlobalFree(g);
    return nullptr;
  }
  std::memcpy(dib, &h, sizeof h);
  for (int y = 0; y < picture.height; ++y)
    write_bgr_row(picture, y,
                  dib + sizeof h + static_cast<std::size_t>(picture.height - 1 - y) * stride);
  GlobalUnlock(g);
  return g;
}

using FileDialogFn = BOOL(WINAPI*)(OPENFILENAMEW*);

// GetSaveFileNameW or GetOpenFileNameW of comdlg32, from the system folder.
FileDialogFn file_dialog_function(const char* name) {
  static const HMODULE module = [] {
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return HMODULE{};
    return LoadLibraryW((std::wstring(folder, n) + L"\\comdlg32.dll").c_str());
  }();
  return module ? exported<FileDialogFn>(module, name) : FileDialogFn{};
}

// The save or the open dialog asking q; the path chosen.
std::optional<std::string> ask_file_name(HWND owner, const FileQuestion& q, bool save) {
  const FileDialogFn ask = file_dialog_function(save ? "GetSaveFileNameW" : "GetOpenFileNameW");
  if (!ask) return std::nullopt;
  const std::wstring title = widen(q.title), extension = widen(q.extension);
  const std::wstring folder = widen(q.folder);
  std::wstring filter = widen(q.kind) + L" (*." + extension + L")";
  filter += L'\0';
  filter += L"*." + extension;
  filter += L'\0';
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring proposed = widen(q.file_name);
  std::copy_n(proposed.begin(), std::min(proposed.size(), file.size() - 1), file.begin());
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = extension.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
              (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  if (!ask(&ofn)) return std::nullopt;
  return narrow(file.data());
}

// The encoder of PNG files: the class of its own, or through the imaging factory
// where that class cannot be made by itself.
HRESULT make_png_encoder(IWICBitmapEncoder** encoder) {
  HRESULT hr = CoCreateInstance(kClsidPngEncoder, nullptr, CLSCTX_INPROC_SERVER, kIidBitmapEncoder,
                                reinterpret_cast<void**>(encoder));
  if (SUCCEEDED(hr)) return hr;
  Com<IWICImagingFactory> factory;
  const HRESULT made = CoCreateInstance(kClsidImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        kIidImagingFactory, factory.out_void());
  if (FAILED(made)) return hr;
  return factory->CreateEncoder(kContainerPng, nullptr, encoder);
}

std::string encode(const Bitmap& picture, std::string* why) {
  const auto fail = [why](const char* step, HRESULT hr) {
    if (why) *why = std::string(step) + " (" + hresult_text(hr) + ")";
    return std::string();
  };
  Com<IWICBitmapEncoder> encoder;
  HRESULT hr = make_png_encoder(encoder.out());
  if (FAILED(hr)) return fail("Кодировщик PNG системы недоступен", hr);
  Com<IStream> stream;
  if (FAILED(hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.out())))
    return fail("Не хватает памяти для картинки", hr);
  if (FAILED(hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)))
    return fail("Кодировщик PNG не начал работу", hr);
  Com<IWICBitmapFrameEncode> frame;
  Com<IPropertyBag2> options;
  if (FAILED(hr = encoder->CreateNewFrame(frame.out(), options.out())) ||
      FAILED(hr = frame->Initialize(options.get())) ||
      FAILED(
          hr = frame->SetSize(static_cast<UINT>(picture.width), static_cast<UINT>(picture.height))))
    return fail("Кодировщик PNG не принял картинку", hr);
  WICPixelFormatGUID format = kPixels24bppBgr;
  if (FAILED(hr = frame->SetPixelFormat(&format)) || !IsEqualGUID(format, kPixels24bppBgr))
    return fail("Кодировщик PNG не принял формат точек", FAILED(hr) ? hr : E_NOTIMPL);
  // A strip of rows at a time, so that a large picture takes no second copy.
  const UINT stride = stride_of(picture);
  constexpr int kStrip = 64;
  std::vector<BYTE> rows(static_cast<std::size_t>(stride) * kStrip);
  for (int y = 0; y < picture.height && SUCCEEDED(hr); y += kStrip) {
    const int count = std::min(kStrip, picture.height - y);
    for (int k = 0; k < count; ++k)
      write_bgr_row(picture, y + k, rows.data() + static_cast<std::size_t>(k) * stride);
    hr = frame->WritePixels(static_cast<UINT>(count), stride, stride * static_cast<UINT>(count),
                            rows.data());
  }
  if (FAILED(hr) || FAILED(hr = frame->Commit()) || FAILED(hr = encoder->Commit()))
    return fail("Кодировщик PNG не записал картинку", hr);
  HGLOBAL memory = nullptr;
  if (FAILED(hr = GetHGlobalFromStream(stream.get(), &memory)))
    return fail("Картинка не получена от кодировщика", hr);
  STATSTG stat{};
  if (FAILED(hr = stream->Stat(&stat, STATFLAG_NONAME)))
    return fail("Картинка не получена от кодировщика", hr);
  const auto* bytes = static_cast<const char*>(GlobalLock(memory));
  if (!bytes) return fail("Картинка не получена от кодировщика", E_OUTOFMEMORY);
  std::string png(bytes, static_cast<std::size_t>(stat.cbSize.QuadPart));
  GlobalUnlock(memory);
  return png;
}

// A text as the clipboard holds it: UTF-16, lines ending with CR LF.
std::wstring clipboard_units(std::string_view text) {
  std::wstring units;
  for (wchar_t c : widen(text)) {
    if (c == L'\n' && (units.empty() || units.back() != L'\r')) units += L'\r';
    units += c;
  }
  return units;
}

// The clipboard, opened for one exchange; another program may hold it for a moment.
class Clipboard {
 public:
  explicit Clipboard(HWND owner) {
    for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
      open_ = OpenClipboard(owner) != FALSE;
      if (!open_) Sleep(20);
    }
  }
  ~Clipboard() {
    if (open_) CloseClipboard();
  }
  Clipboard(const Clipboard&) = delete;
  Clipboard& operator=(const Clipboard&) = delete;
  explicit operator bool() const { return open_; }

  // Hands the memory to the clipboard, or frees it.
  static bool put(UINT format, HGLOBAL g) {
    const bool done = g && SetClipboardData(format, g);
    if (g && !done) GlobalFree(g);
    return done;
  }
  static bool put_text(std::string_view text) {
    const std::wstring units = clipboard_units(text);
    return put(CF_UNICODETEXT, global_copy(units.c_str(), (units.size() + 1) * sizeof(wchar_t)));
  }

 private:
  bool open_ = false;
};

UINT own_format(std::string_view name) { return RegisterClipboardFormatW(widen(name).c_str()); }

// Data of the program's own formats goes as its size (8 bytes, little-endian) and
// its bytes: the system may round the memory it keeps up.
constexpr std::size_t kSizeBytes = 8;

// The bytes of a clipboard format, nothing when it holds none.
std::optional<std::string> clipboard_bytes(HWND owner, UINT format) {
  Clipboard clipboard(owner);
  if (!clipboard || !format || !IsClipboardFormatAvailable(format)) return std::nullopt;
  const HGLOBAL g = GetClipboardData(format);
  const void* at = g ? GlobalLock(g) : nullptr;
  if (!at) return std::nullopt;
  std::string bytes(static_cast<const char*>(at), GlobalSize(g));
  GlobalUnlock(g);
  return bytes;
}

}  // namespace

Copied Win32Backend::copy_to_clipboard(Form& owner, std::string_view text, const Bitmap* picture,
                                       std::string* why) {
  Clipboard clipboard(window_of(owner));
  const std::wstring units = clipboard_units(text);
  Copied copied = Copied::Nothing;
  const char* reason = nullptr;
  if (!clipboard || !EmptyClipboard()) {
    reason = "буфер обмена занят другой программой";
  } else if (const HGLOBAL g = global_copy(units.c_str(), (units.size() + 1) * sizeof(wchar_t));
             !g) {
    reason = "не хватило памяти";
  } else if (!SetClipboardData(CF_UNICODETEXT, g)) {
    GlobalFree(g);
    reason = "буфер обмена не принял текст";
  } else {
    copied = Copied::TextOnly;
  }
  if (copied == Copied::TextOnly && picture && picture->width > 0 && picture->height > 0) {
    if (const HGLOBAL g = clipboard_dib(*picture); !g) {
      reason = "не хватило памяти для картинки";
    } else if (!SetClipboardData(CF_DIB, g)) {
      GlobalFree(g);
      reason = "буфер обмена не принял картинку";
    } else {
      copied = Copied::All;
    }
  }
  if (reason && why) *why = reason;
  return copied;
}

bool Win32Backend::copy_to_clipboard(Form& owner, std::string_view text, std::string_view format,
                                     std::string_view data) {
  const UINT id = own_format(format);
  Clipboard clipboard(window_of(owner));
  if (!id || !clipboard || !EmptyClipboard() || !Clipboard::put_text(text)) return false;
  std::string sized(kSizeBytes, '\0');
  for (std::size_t i = 0; i < kSizeBytes; ++i)
    sized[i] = static_cast<char>((static_cast<std::uint64_t>(data.size()) >> (8 * i)) & 0xFF);
  sized.append(data);
  return Clipboard::put(id, global_copy(sized.data(), sized.size()));
}

std::optional<std::string> Win32Backend::clipboard_text(Form& owner) {
  const auto bytes = clipboard_bytes(window_of(owner), CF_UNICODETEXT);
  if (!bytes) return std::nullopt;
  std::wstring units(bytes->size() / sizeof(wchar_t), L'\0');
  std::memcpy(units.data(), bytes->data(), units.size() * sizeof(wchar_t));
  units.resize(std::min(units.size(), units.find(L'\0')));
  return narrow(units);
}

std::optional<std::string> Win32Backend::clipboard_data(Form& owner, std::string_view format) {
  auto bytes = clipboard_bytes(window_of(owner), own_format(format));
  if (!bytes || bytes->size() < kSizeBytes) return std::nullopt;
  std::uint64_t size = 0;
  for (std::size_t i = 0; i < kSizeBytes; ++i)
    size |= static_cast<std::uint64_t>(static_cast<unsigned char>((*bytes)[i])) << (8 * i);
  if (size > bytes->size() - kSizeBytes) return std::nullopt;
  return bytes->substr(kSizeBytes, static_cast<std::size_t>(size));
}

std::optional<std::string> Win32Backend::save_file_name(Form& owner, const FileQuestion& q) {
  return ask_file_name(window_of(owner), q, true);
}

std::optional<std::string> Win32Backend::open_file_name(Form& owner, const FileQuestion& q) {
  return ask_file_name(window_of(owner), q, false);
}

std::string Win32Backend::encode_png(const Bitmap& picture, std::string* why) {
  if (picture.width <= 0 || picture.height <= 0) {
    if (why) *why = "Картинка пуста";
    return {};
  }
  // The program's thread has COM already; a thread without it gets it here.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::string png = encode(picture, why);
  if (SUCCEEDED(com)) CoUninitialize();
  return png;
}

}  // namespace ui::win32
