// What an accessibility tool reads of another program's windows, and the WinEvents
// it hears. Kept apart from the rest of probe so that only the programs that read
// windows this way load COM and oleacc.

#include "probe.h"

// clang-format off
#include <ole2.h>
#include <oleacc.h>
// clang-format on

namespace probe {

namespace {

// IID_IAccessible, given here: MinGW's import library of oleacc can shadow the one
// of uuid with a wrong GUID.
constexpr GUID kIidAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The window's object, with COM started on this thread first.
IAccessible* accessible_of(HWND window) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  void* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                        &object)))
    return nullptr;
  return static_cast<IAccessible*>(object);
}

VARIANT child_id(long child) {
  VARIANT id;
  VariantInit(&id);
  id.vt = VT_I4;
  id.lVal = child;
  return id;
}

std::wstring take(BSTR text) {
  std::wstring out = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return out;
}

}  // namespace

namespace {

AccessibleView read(IAccessible* object, long child) {
  AccessibleView view;
  const VARIANT id = child_id(child);
  BSTR text = nullptr;
  view.found = SUCCEEDED(object->get_accName(id, &text));
  view.name = take(text);
  VARIANT v;
  VariantInit(&v);
  if (SUCCEEDED(object->get_accRole(id, &v)) && v.vt == VT_I4) view.role = v.lVal;
  VariantClear(&v);
  if (SUCCEEDED(object->get_accState(id, &v)) && v.vt == VT_I4) view.state = v.lVal;
  VariantClear(&v);
  text = nullptr;
  if (SUCCEEDED(object->get_accDefaultAction(id, &text))) view.default_action = take(text);
  text = nullptr;
  if (SUCCEEDED(object->get_accValue(id, &text))) view.value = take(text);
  text = nullptr;
  if (SUCCEEDED(object->get_accKeyboardShortcut(id, &text))) view.shortcut = take(text);
  if (child == 0) object->get_accChildCount(&view.child_count);
  long x = 0, y = 0, width = 0, height = 0;
  if (SUCCEEDED(object->accLocation(&x, &y, &width, &height, id)))
    view.location = {x, y, x + width, y + height};
  return view;
}

// The object that get_accChild gives for a child of the window's object.
IAccessible* child_object(HWND window, long child) {
  IAccessible* object = accessible_of(window);
  if (!object) return nullptr;
  IDispatch* dispatch = nullptr;
  const HRESULT got = object->get_accChild(child_id(child), &dispatch);
  object->Release();
  if (got != S_OK || !dispatch) return nullptr;
  void* out = nullptr;
  dispatch->QueryInterface(kIidAccessible, &out);
  dispatch->Release();
  return static_cast<IAccessible*>(out);
}

}  // namespace

AccessibleView read_accessible(HWND window, long child) {
  IAccessible* object = accessible_of(window);
  if (!object) return {};
  const AccessibleView view = read(object, child);
  object->Release();
  return view;
}

AccessibleView read_accessible(HWND window, long child, long part) {
  IAccessible* object = child_object(window, child);
  if (!object) return {};
  const AccessibleView view = read(object, part);
  object->Release();
  return view;
}

bool do_default_action(HWND window, long child) {
  IAccessible* object = accessible_of(window);
  if (!object) return false;
  const bool done = SUCCEEDED(object->accDoDefaultAction(child_id(child)));
  object->Release();
  return done;
}

bool do_default_action(HWND window, long child, long part) {
  IAccessible* object = child_object(window, child);
  if (!object) return false;
  const bool done = SUCCEEDED(object->accDoDefaultAction(child_id(part)));
  object->Release();
  return done;
}

std::wstring hit_name(HWND window, POINT screen) {
  IAccessible* object = accessible_of(window);
  std::wstring name;
  // Down through the objects of their own, to a simple element or the object hit.
  for (int depth = 0; object && depth < 8; ++depth) {
    VARIANT v;
    VariantInit(&v);
    const HRESULT hit = object->accHitTest(screen.x, screen.y, &v);
    IAccessible* inner = nullptr;
    if (hit == S_OK && v.vt == VT_DISPATCH && v.pdispVal) {
      v.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&inner));
    } else if (hit == S_OK && v.vt == VT_I4) {
      BSTR text = nullptr;
      if (SUCCEEDED(object->get_accName(child_id(v.lVal), &text))) name = take(text);
    }
    VariantClear(&v);
    object->Release();
    object = inner;
  }
  if (object) object->Release();
  return name;
}

namespace {
WinEvents* g_recorder = nullptr;
}  // namespace

WinEvents::WinEvents(DWORD process_id) {
  g_recorder = this;
  hook_ =
      SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, record, process_id, 0, WINEVENT_OUTOFCONTEXT);
}

WinEvents::~WinEvents() {
  if (hook_) UnhookWinEvent(hook_);
  g_recorder = nullptr;
}

void CALLBACK WinEvents::record(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child,
                                DWORD, DWORD) {
  if (g_recorder) g_recorder->events_.push_back({event, window, object, child});
}

void WinEvents::settle(DWORD ms) {
  const ULONGLONG until = GetTickCount64() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (GetTickCount64() >= until) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

bool WinEvents::wait_for(DWORD event, HWND window, LONG child, DWORD timeout_ms) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  for (;;) {
    for (const Event& e : events_)
      if (e.event == event && e.window == window && (child < 0 || e.child == child)) return true;
    if (GetTickCount64() >= until) return false;
    settle(10);
  }
}

}  // namespace probe
