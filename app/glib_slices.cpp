// GLib before 2.76 keeps the small blocks of its slice allocator in pools of its own, which a
// long list's tree rows (one block per row) leave fragmented and which are never given back; a
// program that opens and closes long lists grows by megabytes each time. Its slices come from
// malloc instead, whose freed memory the program trims. The choice must be made before GLib's
// first slice, which its own library constructors already take, so it is made from the
// executable's pre-initialisers, which run before any library's. Later GLib uses malloc anyway.
#include <glib.h>

namespace {

void SlicesFromMalloc(int, char **, char **) {
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  g_slice_set_config(G_SLICE_CONFIG_ALWAYS_MALLOC, TRUE);
  G_GNUC_END_IGNORE_DEPRECATIONS
}

[[gnu::section(".preinit_array"), gnu::used]] void (*const kSlicesFromMalloc)(int, char **, char **) = SlicesFromMalloc;

}  // namespace
