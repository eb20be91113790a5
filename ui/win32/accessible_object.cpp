// The project's own IAccessible for the windows of controls: what the form model
// tells a tool, with the items of lists.

// <windows.h> must come before the other system headers.
// clang-format off
#include <windows.h>
#include <ole2.h>
#include <oleacc.h>
// clang-format on

#include "ui/win32/accessible_object.h"

#include <new>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/diagram.h"
#include "ui/win32/exported.h"
#include "ui/win32/peers.h"
#include "ui/win32/text.h"

namespace ui::win32 {
namespace {

// IID_IAccessible, given here rather than taken from a library: with MinGW, the
// import library of oleacc linked before uuid hands over a wrong GUID.
constexpr GUID kIidAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The three functions of oleacc the objects need, and the one of oleaut32 for
// their texts. The libraries are loaded from the system folder when a tool first
// asks (COM is started then too): a program that nobody reads never loads them,
// and no file beside the program can stand in for them.
struct Oleacc {
  decltype(&LresultFromObject) lresult_from_object = nullptr;
  decltype(&CreateStdAccessibleObject) create_std_accessible_object = nullptr;
  decltype(&AccessibleObjectFromWindow) accessible_object_from_window = nullptr;
  decltype(&SysAllocStringLen) sys_alloc_string_len = nullptr;
  bool loaded() const {
    return lresult_from_object && create_std_accessible_object && accessible_object_from_window &&
           sys_alloc_string_len;
  }
};

const Oleacc& oleacc() {
  static const Oleacc functions = [] {
    Oleacc f;
    const HMODULE m = system_library(L"oleacc.dll");
    const HMODULE automation = system_library(L"oleaut32.dll");
    if (!m || !automation || !use_com()) return f;
    f.lresult_from_object = exported<decltype(f.lresult_from_object)>(m, "LresultFromObject");
    f.create_std_accessible_object =
        exported<decltype(f.create_std_accessible_object)>(m, "CreateStdAccessibleObject");
    f.accessible_object_from_window =
        exported<decltype(f.accessible_object_from_window)>(m, "AccessibleObjectFromWindow");
    f.sys_alloc_string_len =
        exported<decltype(f.sys_alloc_string_len)>(automation, "SysAllocStringLen");
    return f;
  }();
  return functions;
}

// What VariantInit does, without importing oleaut32 for it.
void clear_variant(VARIANT* v) { v->vt = VT_EMPTY; }

// What a reader meets in a list (PictureBox::shown_items, shown_others). Child id
// k is item k - 1; the other children follow the items.
std::vector<Control*> list_items(const Control& list) {
  const auto* box = dynamic_cast<const PictureBox*>(&list);
  return box ? box->shown_items() : std::vector<Control*>{};
}
std::vector<Control*> list_others(const Control& list) {
  const auto* box = dynamic_cast<const PictureBox*>(&list);
  return box ? box->shown_others() : std::vector<Control*>{};
}

// A diagram's items are drawn, not controls: child id k is its item k - 1.
const Diagram* diagram_of(const Control& c) { return dynamic_cast<const Diagram*>(&c); }

long role_id(Role r) {
  switch (r) {
    case Role::StaticText:
      return ROLE_SYSTEM_STATICTEXT;
    case Role::Text:
      return ROLE_SYSTEM_TEXT;
    case Role::PushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case Role::CheckButton:
      return ROLE_SYSTEM_CHECKBUTTON;
    case Role::RadioButton:
      return ROLE_SYSTEM_RADIOBUTTON;
    case Role::Link:
      return ROLE_SYSTEM_LINK;
    case Role::List:
      return ROLE_SYSTEM_LIST;
    case Role::ListItem:
      return ROLE_SYSTEM_LISTITEM;
    case Role::ComboBox:
      return ROLE_SYSTEM_COMBOBOX;
    case Role::MenuButton:
      return ROLE_SYSTEM_BUTTONMENU;
    case Role::None:
      break;
  }
  return ROLE_SYSTEM_CLIENT;
}

// The whole state: the model's bits and what the windows tell.
long state_of(const Control& c, const Accessible& a) {
  long s = model_state(a);
  const HWND h = Win32Backend::window_of(c);
  if (!h || !IsWindowVisible(h)) s |= STATE_SYSTEM_INVISIBLE;
  if (h && (!IsWindowEnabled(h) || !IsWindowEnabled(GetAncestor(h, GA_ROOT))))
    s |= STATE_SYSTEM_UNAVAILABLE;
  // A list item takes the keyboard through its list, and has it while it is the
  // selected one the keys move (of a range, the end that moves).
  const PictureBox* list = list_of(c);
  const Control& keyed = list ? *list : c;
  const ControlWindow* w = ControlWindow::of(keyed);
  if (w && keyed.can_focus() && keyed.tab_stop()) s |= STATE_SYSTEM_FOCUSABLE;
  if (w && w->hwnd() && GetFocus() == w->hwnd() && (!list || list->selected_item() == &c))
    s |= STATE_SYSTEM_FOCUSED;
  return s;
}

BSTR to_bstr(const std::string& utf8) {
  const std::wstring w = widen(utf8);
  return oleacc().sys_alloc_string_len(w.data(), static_cast<UINT>(w.size()));
}

HRESULT text_result(const std::string& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = to_bstr(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

void set_child(VARIANT* v, long id) {
  v->vt = VT_I4;
  v->lVal = id;
}

// Runs a method body; nothing thrown crosses into the calling tool.
template <class F>
HRESULT guarded(F&& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace

// A control can be used when it and its window take input (a modal window keeps
// its owner waiting).
bool usable(HWND h) {
  return h && IsWindowVisible(h) && IsWindowEnabled(h) && IsWindowEnabled(GetAncestor(h, GA_ROOT));
}

// The list an item belongs to; nullptr for a control that is no list's item.
const PictureBox* list_of(const Control& item) {
  const auto* box = dynamic_cast<const PictureBox*>(&item.parent());
  return box && box->is_list_item(item) ? box : nullptr;
}

long child_id_of(const Control& item) {
  const PictureBox* list = list_of(item);
  if (!list) return CHILDID_SELF;
  const std::vector<Control*> items = list->shown_items();
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i] == &item) return static_cast<long>(i) + 1;
  return CHILDID_SELF;
}

// The state bits that the form model decides.
long model_state(const Accessible& a) {
  long s = 0;
  if (a.checked) s |= STATE_SYSTEM_CHECKED;
  if (a.pressed) s |= STATE_SYSTEM_PRESSED;
  if (a.selectable) s |= STATE_SYSTEM_SELECTABLE;
  if (a.selected) s |= STATE_SYSTEM_SELECTED;
  if (a.multi_selectable) s |= STATE_SYSTEM_MULTISELECTABLE | STATE_SYSTEM_EXTSELECTABLE;
  if (a.read_only) s |= STATE_SYSTEM_READONLY;
  if (a.is_default) s |= STATE_SYSTEM_DEFAULT;
  if (a.expandable) s |= a.expanded ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
  if (a.role == Role::Link) s |= STATE_SYSTEM_LINKED;
  return s;
}

// What every object given to a tool answers alike: its interfaces, its count of
// references, and IDispatch, whose methods the tools do not use.
template <class Self>
class ComObject : public IAccessible, public IOleWindow {
 public:
  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (!out) return E_POINTER;
    if (id == IID_IUnknown || id == IID_IDispatch || id == kIidAccessible)
      *out = static_cast<IAccessible*>(this);
    else if (id == IID_IOleWindow)
      *out = static_cast<IOleWindow*>(this);
    else
      *out = nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long left = --references_;
    if (left == 0) delete static_cast<Self*>(this);
    return static_cast<ULONG>(left);
  }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible: no help files, and nothing a tool may rename or set.
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }

 protected:
  ~ComObject() = default;

 private:
  long references_ = 1;
};

class AccessibleObject;
// A diagram's item that has parts, as an object of its own (defined below).
IDispatch* make_item_object(AccessibleObject& list, long id);

// The project's IAccessible for one control window. Position, parent, navigation
// between windows and hit testing come from the system's proxy of the window, so
// they follow the window wherever and however large it is. A list answers for its
// items (child ids 1 to n) and then for its other children (their windows).
class AccessibleObject final : public ComObject<AccessibleObject> {
 public:
  explicit AccessibleObject(ControlWindow& w) : window_(&w), hwnd_(w.hwnd()) {
    void* proxy = nullptr;
    if (SUCCEEDED(
            oleacc().create_std_accessible_object(hwnd_, OBJID_CLIENT, kIidAccessible, &proxy)))
      proxy_ = static_cast<IAccessible*>(proxy);
  }

  // The window is going: every later call fails.
  void disconnect() {
    window_ = nullptr;
    if (proxy_) proxy_->Release();
    proxy_ = nullptr;
  }

  // IOleWindow
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = window_ ? hwnd_ : nullptr;
    return window_ ? S_OK : RPC_E_DISCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IAccessible: what the model tells.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    return guarded([&] {
      if (const Diagram::Item* item = drawn_item(child)) return text_result(item->name, out);
      const Control* c = target(child);
      return c ? text_result(c->accessible().name, out) : failure();
    });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    return guarded([&] {
      if (drawn_item(child)) return text_result({}, out);
      const Control* c = target(child);
      return c ? text_result(c->accessible().value, out) : failure();
    });
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    return guarded([&] {
      const bool item = drawn_item(child) != nullptr;
      const Control* c = target(child);
      if (!item && !c) return failure();
      if (!out) return E_POINTER;
      set_child(out, item ? ROLE_SYSTEM_LISTITEM : role_id(c->accessible_role()));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    return guarded([&] {
      if (drawn_item(child)) {
        if (!out) return E_POINTER;
        set_child(out, drawn_item_state(child.lVal - 1));
        return S_OK;
      }
      const Control* c = target(child);
      if (!c) return failure();
      if (!out) return E_POINTER;
      set_child(out, state_of(*c, c->accessible()));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
    return guarded([&] {
      if (drawn_item(child)) return text_result(default_action_name(Role::ListItem, false), out);
      const Control* c = target(child);
      return c ? text_result(c->accessible().default_action, out) : failure();
    });
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return guarded([&] {
      if (drawn_item(child)) {
        if (!usable(hwnd_)) return E_FAIL;
        return PostMessageW(hwnd_, kWmAccessibleAction, static_cast<WPARAM>(child.lVal), 0)
                   ? S_OK
                   : E_FAIL;
      }
      const Control* c = target(child);
      if (!c) return failure();
      if (c->accessible().default_action.empty()) return DISP_E_MEMBERNOTFOUND;
      if (!usable(Win32Backend::window_of(*c))) return E_FAIL;
      // Done from the window's own queue: the action may open a modal window,
      // and the tool's call must not wait for it to close.
      return PostMessageW(hwnd_, kWmAccessibleAction, static_cast<WPARAM>(child.lVal), 0) ? S_OK
                                                                                          : E_FAIL;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    // A drawn item's whole text, which its tooltip shows too.
    if (const Diagram::Item* item = drawn_item(child))
      return guarded([&] { return text_result(item->tooltip, out); });
    return nothing(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
    return nothing(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
    return guarded([&] {
      const Control* c = target(child);
      return c ? text_result(c->accessible().shortcut, out) : failure();
    });
  }

  // IAccessible: the tree, with the items of a list.
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
    return guarded([&] {
      if (!out) return E_POINTER;
      if (!window_) return failure();
      if (!is_list()) return proxy_ ? proxy_->get_accChildCount(out) : E_FAIL;
      if (const Diagram* d = diagram_of(control())) {
        *out = static_cast<long>(d->items().size());
        return S_OK;
      }
      *out = static_cast<long>(list_items(control()).size() + list_others(control()).size());
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    return guarded([&] {
      if (!out) return E_POINTER;
      *out = nullptr;
      if (!window_) return failure();
      if (!is_list()) return proxy_ ? proxy_->get_accChild(child, out) : E_FAIL;
      if (child.vt != VT_I4 || child.lVal < 1) return E_INVALIDARG;
      if (const Diagram::Item* item = drawn_item(child)) {
        // An item with parts is an object of its own, their parent; else a
        // simple element of the list.
        if (item->parts.empty()) return S_FALSE;
        *out = make_item_object(*this, child.lVal);
        return *out ? S_OK : E_OUTOFMEMORY;
      }
      if (diagram_of(control())) return E_INVALIDARG;
      const std::size_t at = static_cast<std::size_t>(child.lVal) - 1;
      const std::size_t items = list_items(control()).size();
      if (at < items) return S_FALSE;  // an item is a simple element of the list
      const std::vector<Control*> others = list_others(control());
      if (at - items >= others.size()) return E_INVALIDARG;
      return oleacc().accessible_object_from_window(Win32Backend::window_of(*others[at - items]),
                                                    OBJID_WINDOW, IID_IDispatch,
                                                    reinterpret_cast<void**>(out));
    });
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    if (!window_ || !proxy_) return failure();
    return proxy_->get_accParent(out);
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height,
                                        VARIANT child) override {
    return guarded([&] {
      if (!window_ || !proxy_) return failure();
      if (!x || !y || !width || !height) return E_POINTER;
      if (const Diagram::Item* item = drawn_item(child)) {
        const RECT r = window_->box_on_screen(item->box);
        *x = r.left;
        *y = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
      }
      const Control* item = list_item(child);
      if (!item) return proxy_->accLocation(x, y, width, height, child);
      RECT r{};
      GetWindowRect(Win32Backend::window_of(*item), &r);
      *x = r.left;
      *y = r.top;
      *width = r.right - r.left;
      *height = r.bottom - r.top;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
    return guarded([&] {
      if (!window_ || !proxy_) return failure();
      if (!out) return E_POINTER;
      clear_variant(out);
      if (!is_list()) return proxy_->accNavigate(direction, start, out);
      const Diagram* d = diagram_of(control());
      const long count = static_cast<long>(d ? d->items().size() : list_items(control()).size());
      const bool from_item = start.vt == VT_I4 && start.lVal >= 1 && start.lVal <= count;
      long to = 0;
      if (from_item && (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN))
        to = start.lVal + 1;
      else if (from_item && (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP))
        to = start.lVal - 1;
      else if (is_self(start) && direction == NAVDIR_FIRSTCHILD)
        to = 1;
      else if (is_self(start) && direction == NAVDIR_LASTCHILD)
        to = count;
      else
        return proxy_->accNavigate(direction, start, out);
      if (to < 1 || to > count) return S_FALSE;
      set_child(out, to);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    return guarded([&] {
      if (!window_ || !proxy_) return failure();
      if (!out) return E_POINTER;
      if (const Diagram* d = diagram_of(control())) {
        // An item, or a part of one, which its item's object tells apart.
        const auto holds = [&](Rect box) {
          const RECT r = window_->box_on_screen(box);
          return PtInRect(&r, POINT{x, y}) != FALSE;
        };
        for (std::size_t i = 0; i < d->items().size(); ++i) {
          const Diagram::Item& item = d->items()[i];
          bool in = holds(item.box);
          for (const Diagram::Part& part : item.parts) in = in || holds(part.box);
          if (!in) continue;
          const long id = static_cast<long>(i) + 1;
          if (item.parts.empty()) {
            set_child(out, id);
          } else {
            out->vt = VT_DISPATCH;
            out->pdispVal = make_item_object(*this, id);
            if (!out->pdispVal) return E_OUTOFMEMORY;
          }
          return S_OK;
        }
      } else if (is_list()) {
        const std::vector<Control*> items = list_items(control());
        const POINT p{x, y};
        for (std::size_t i = 0; i < items.size(); ++i) {
          RECT r{};
          GetWindowRect(Win32Backend::window_of(*items[i]), &r);
          if (PtInRect(&r, p)) {
            set_child(out, static_cast<long>(i) + 1);
            return S_OK;
          }
        }
      }
      return proxy_->accHitTest(x, y, out);
    });
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    return guarded([&] {
      if (!window_ || !proxy_) return failure();
      if (!out) return E_POINTER;
      clear_variant(out);
      if (is_list() && GetFocus() == hwnd_)
        if (const long selected = selected_item()) {
          set_child(out, selected);
          return S_OK;
        }
      return proxy_->get_accFocus(out);
    });
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    return guarded([&] {
      if (!window_ || !proxy_) return failure();
      if (!out) return E_POINTER;
      clear_variant(out);
      if (!is_list()) return proxy_->get_accSelection(out);
      const long selected = selected_item();
      if (!selected) return S_FALSE;
      set_child(out, selected);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    if (!window_ || !proxy_) return failure();
    if (!is_self(child)) return DISP_E_MEMBERNOTFOUND;
    return proxy_->accSelect(flags, child);
  }

  // The control a child id stands for: the window's own, or an item of a list.
  Control* target(const VARIANT& child) const {
    if (!window_) return nullptr;
    if (is_self(child)) return &control();
    return list_item(child);
  }

 private:
  friend class ItemObject;
  friend class ComObject<AccessibleObject>;
  ~AccessibleObject() { disconnect(); }

  Control& control() const { return window_->control(); }
  bool is_list() const { return control().accessible_role() == Role::List; }
  static bool is_self(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
  }
  Control* list_item(const VARIANT& child) const {
    if (!window_ || !is_list() || child.vt != VT_I4 || child.lVal < 1) return nullptr;
    const std::vector<Control*> items = list_items(control());
    const auto at = static_cast<std::size_t>(child.lVal) - 1;
    return at < items.size() ? items[at] : nullptr;
  }
  // The diagram's item a child id names; nullptr for another control or id.
  const Diagram::Item* drawn_item(const VARIANT& child) const {
    if (!window_ || child.vt != VT_I4 || child.lVal < 1) return nullptr;
    const Diagram* d = diagram_of(control());
    if (!d || child.lVal > static_cast<long>(d->items().size())) return nullptr;
    return &d->items()[static_cast<std::size_t>(child.lVal) - 1];
  }
  long drawn_item_state(int item) const {
    const auto& d = static_cast<const Diagram&>(control());
    long s = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    const bool selected = d.selected() == item;
    if (selected) s |= STATE_SYSTEM_SELECTED;
    if (selected && GetFocus() == hwnd_) s |= STATE_SYSTEM_FOCUSED;
    if (!IsWindowVisible(hwnd_)) s |= STATE_SYSTEM_INVISIBLE;
    if (off_screen(d.items()[static_cast<std::size_t>(item)].box)) s |= STATE_SYSTEM_OFFSCREEN;
    return s;
  }
  // Scrolled out of the window's sight.
  bool off_screen(Rect box) const {
    RECT shown{}, r = window_->box_on_screen(box), both{};
    GetClientRect(hwnd_, &shown);
    MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&shown), 2);
    return !IntersectRect(&both, &shown, &r);
  }
  long selected_item() const {
    if (const Diagram* d = diagram_of(control())) return d->selected() + 1;
    const auto* box = dynamic_cast<const PictureBox*>(&control());
    const Control* selected = box ? box->selected_item() : nullptr;
    const long id = selected ? child_id_of(*selected) : CHILDID_SELF;
    return id == CHILDID_SELF ? 0 : id;
  }
  HRESULT failure() const { return window_ ? E_INVALIDARG : RPC_E_DISCONNECTED; }
  HRESULT nothing(const VARIANT& child, BSTR* out) const {
    if (out) *out = nullptr;
    return target(child) ? S_FALSE : failure();
  }

  ControlWindow* window_;
  HWND hwnd_;
  IAccessible* proxy_ = nullptr;
};

// A diagram's item that has parts, as an object of its own: for itself it
// answers as its list does for its child id, and its parts are its children 1
// to m, each a menu button located where it shows, hit-tested there and opened
// by its default action. It names its item by place, as the child id does.
class ItemObject final : public ComObject<ItemObject> {
 public:
  ItemObject(AccessibleObject& list, long id) : list_(&list), id_(id) { list_->AddRef(); }

  // IOleWindow
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override { return list_->GetWindow(out); }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    if (is_self(child)) return list_->get_accName(self(), out);
    return guarded([&] {
      const Diagram::Part* p = part(child);
      return p ? text_result(p->name, out) : failure();
    });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    if (is_self(child)) return list_->get_accValue(self(), out);
    return none(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    if (is_self(child)) return list_->get_accDescription(self(), out);
    return none(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
    return none(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
    return none(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    if (is_self(child)) return list_->get_accRole(self(), out);
    if (!part(child)) return failure();
    if (!out) return E_POINTER;
    set_child(out, role_id(Role::MenuButton));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    if (is_self(child)) return list_->get_accState(self(), out);
    const Diagram::Part* p = part(child);
    if (!p) return failure();
    if (!out) return E_POINTER;
    long s = STATE_SYSTEM_HASPOPUP;
    if (!IsWindowVisible(list_->hwnd_)) s |= STATE_SYSTEM_INVISIBLE;
    if (list_->off_screen(p->box)) s |= STATE_SYSTEM_OFFSCREEN;
    set_child(out, s);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
    if (is_self(child)) return list_->get_accDefaultAction(self(), out);
    return guarded([&] {
      return part(child) ? text_result(default_action_name(Role::MenuButton, false), out)
                         : failure();
    });
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (is_self(child)) return list_->accDoDefaultAction(self());
    if (!part(child)) return failure();
    if (!usable(list_->hwnd_)) return E_FAIL;
    // From the window's own queue, as the list's items: the menu waits in a loop
    // of its own, and the tool's call must not wait for it.
    return PostMessageW(list_->hwnd_, kWmAccessibleAction, static_cast<WPARAM>(id_),
                        static_cast<LPARAM>(child.lVal))
               ? S_OK
               : E_FAIL;
  }

  // The tree: the list above, the parts below.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!item()) return failure();
    return list_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
    if (!out) return E_POINTER;
    const Diagram::Item* i = item();
    if (!i) return failure();
    *out = static_cast<long>(i->parts.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!item()) return failure();
    return part(child) ? S_FALSE : E_INVALIDARG;  // a part is a simple element
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height,
                                        VARIANT child) override {
    if (is_self(child)) return list_->accLocation(x, y, width, height, self());
    if (!x || !y || !width || !height) return E_POINTER;
    const Diagram::Part* p = part(child);
    if (!p) return failure();
    const RECT r = list_->window_->box_on_screen(p->box);
    *x = r.left;
    *y = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
    return guarded([&] {
      if (!out) return E_POINTER;
      clear_variant(out);
      const Diagram::Item* i = item();
      if (!i) return failure();
      const long count = static_cast<long>(i->parts.size());
      long to = 0;
      if (is_self(start)) {
        if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
          to = direction == NAVDIR_FIRSTCHILD ? 1 : count;
        } else {
          // Among the other items: as the list goes from this one.
          const HRESULT r = list_->accNavigate(direction, self(), out);
          if (r != S_OK || out->vt != VT_I4) return r;
          return as_object(out->lVal, out);
        }
      } else if (part(start) && (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN ||
                                 direction == NAVDIR_RIGHT)) {
        to = start.lVal + 1;
      } else if (part(start) && (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP ||
                                 direction == NAVDIR_LEFT)) {
        to = start.lVal - 1;
      } else {
        return part(start) ? S_FALSE : E_INVALIDARG;
      }
      if (to < 1 || to > count) return S_FALSE;
      set_child(out, to);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    if (!out) return E_POINTER;
    clear_variant(out);
    const Diagram::Item* i = item();
    if (!i) return failure();
    const auto holds = [&](Rect box) {
      const RECT r = list_->window_->box_on_screen(box);
      return PtInRect(&r, POINT{x, y}) != FALSE;
    };
    for (std::size_t k = 0; k < i->parts.size(); ++k)
      if (holds(i->parts[k].box)) {
        set_child(out, static_cast<long>(k) + 1);
        return S_OK;
      }
    if (!holds(i->box)) return S_FALSE;
    set_child(out, CHILDID_SELF);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    if (!out) return E_POINTER;
    clear_variant(out);
    if (!item()) return failure();
    // The item has the keys while it is the list's selected one.
    if (GetFocus() != list_->hwnd_ || list_->selected_item() != id_) return S_FALSE;
    set_child(out, CHILDID_SELF);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    if (!out) return E_POINTER;
    clear_variant(out);
    return item() ? S_FALSE : failure();
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }

 private:
  friend class ComObject<ItemObject>;
  ~ItemObject() { list_->Release(); }

  static bool is_self(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
  }
  VARIANT self() const {
    VARIANT v;
    set_child(&v, id_);
    return v;
  }
  // The item, while the window and the item are there.
  const Diagram::Item* item() const { return list_->drawn_item(self()); }
  const Diagram::Part* part(const VARIANT& child) const {
    const Diagram::Item* i = item();
    if (!i || child.vt != VT_I4 || child.lVal < 1 ||
        child.lVal > static_cast<long>(i->parts.size()))
      return nullptr;
    return &i->parts[static_cast<std::size_t>(child.lVal) - 1];
  }
  // The list's item `id` in *out: its object when it has parts, else its child id.
  HRESULT as_object(long id, VARIANT* out) const {
    VARIANT v;
    set_child(&v, id);
    const Diagram::Item* other = list_->drawn_item(v);
    if (!other || other->parts.empty()) return S_OK;
    out->vt = VT_DISPATCH;
    out->pdispVal = make_item_object(*list_, id);
    return out->pdispVal ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT failure() const { return list_->window_ ? E_INVALIDARG : RPC_E_DISCONNECTED; }
  HRESULT none(const VARIANT& child, BSTR* out) const {
    if (out) *out = nullptr;
    return is_self(child) || part(child) ? S_FALSE : failure();
  }

  AccessibleObject* list_;
  long id_;
};

IDispatch* make_item_object(AccessibleObject& list, long id) {
  try {
    return new ItemObject(list, id);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool accessibility_available() { return oleacc().loaded(); }

AccessibleObject* make_accessible_object(ControlWindow& window) {
  return new AccessibleObject(window);
}

void drop_accessible_object(AccessibleObject* object) {
  if (!object) return;
  object->disconnect();
  object->Release();
}

LRESULT accessible_object_result(AccessibleObject& object, WPARAM w) {
  return oleacc().lresult_from_object(kIidAccessible, w, static_cast<IAccessible*>(&object));
}

Control* accessible_target(AccessibleObject& object, long child) {
  VARIANT id;
  set_child(&id, child);
  return object.target(id);
}

}  // namespace ui::win32
