#include "runtime/gtk/server_keys.h"

#include <X11/XKBlib.h>
#include <gdk/gdkx.h>

#include <memory>

namespace rt::gtk {
namespace {

struct FreeKeymap {
  void operator()(XkbDescPtr keymap) const { XkbFreeKeyboard(keymap, 0, True); }
};
using Keymap = std::unique_ptr<XkbDescRec, FreeKeymap>;

// Switching terminals or screens, ending the server, and the XFree86 keys that break grabs or
// change the video mode: the server acts and sends no key event.
bool IsServerAction(const XkbAction &action) {
  switch (action.type) {
    case XkbSA_SwitchScreen:
    case XkbSA_Terminate:
    case XkbSA_XFree86Private:
      return true;
    default:
      return false;
  }
}

// The key's group while the keyboard is in `group`, as the key's own rule for a group it lacks
// brings it into range.
int GroupOfKey(XkbDescPtr keymap, KeyCode key, int group) {
  int groups = XkbKeyNumGroups(keymap, key);
  if (group < groups) return group;
  unsigned char info = XkbKeyGroupInfo(keymap, key);
  switch (XkbOutOfRangeGroupAction(info)) {
    case XkbClampIntoRange:
      return groups - 1;
    case XkbRedirectIntoRange: {
      int redirect = XkbOutOfRangeGroupNumber(info);
      return redirect < groups ? redirect : 0;
    }
    default:
      return group % groups;
  }
}

// The shift level the key's type gives the modifiers; level 1 (0) when no entry matches.
int LevelOfKey(XkbDescPtr keymap, KeyCode key, int group, unsigned realModifiers) {
  XkbKeyTypePtr type = XkbKeyKeyType(keymap, key, group);
  unsigned relevant = realModifiers & type->mods.mask;
  for (int i = 0; i < type->map_count; ++i) {
    const XkbKTMapEntryRec &entry = type->map[i];
    if (entry.active && entry.mods.mask == relevant) return entry.level;
  }
  return 0;
}

bool KeyRunsServerAction(XkbDescPtr keymap, KeyCode key, int keyboardGroup, unsigned realModifiers) {
  if (XkbKeyNumGroups(keymap, key) == 0 || !XkbKeyHasActions(keymap, key)) return false;
  int group = GroupOfKey(keymap, key, keyboardGroup);
  int level = LevelOfKey(keymap, key, group, realModifiers);
  if (level >= XkbKeyGroupWidth(keymap, key, group)) return false;
  const XkbAction *action = XkbKeyActionEntry(keymap, key, level, group);
  return action && IsServerAction(*action);
}

}  // namespace

bool ServerKeepsKey(GdkDisplay *display, guint keyval, GdkModifierType modifiers) {
  if (!GDK_IS_X11_DISPLAY(display)) return false;
  GdkKeymap *gdkKeymap = gdk_keymap_get_for_display(display);
  GdkKeymapKey *keys = nullptr;
  gint keyCount = 0;
  if (!gdk_keymap_get_entries_for_keyval(gdkKeymap, keyval, &keys, &keyCount)) return false;
  // Super and its like become the real modifiers (Mod4) the grab is made with.
  gdk_keymap_map_virtual_modifiers(gdkKeymap, &modifiers);
  unsigned realModifiers = modifiers & 0xFF;

  Display *xdisplay = gdk_x11_display_get_xdisplay(display);
  Keymap keymap(XkbGetMap(xdisplay, XkbKeyTypesMask | XkbKeySymsMask | XkbKeyActionsMask, XkbUseCoreKbd));
  XkbStateRec state{};
  int considered = 0, kept = 0;
  if (keymap && XkbGetState(xdisplay, XkbUseCoreKbd, &state) == Success) {
    // The keys that type the keysym on the first shift level, as the grab takes them.
    for (int i = 0; i < keyCount; ++i) {
      if (keys[i].level != 0) continue;
      ++considered;
      if (KeyRunsServerAction(keymap.get(), static_cast<KeyCode>(keys[i].keycode), state.group, realModifiers)) ++kept;
    }
  }
  g_free(keys);
  return considered > 0 && kept == considered;
}

}  // namespace rt::gtk
