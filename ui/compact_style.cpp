#include "ui/compact_style.h"

#include <dlfcn.h>

namespace {

// No GTK headers are needed: the functions are looked up in the GTK library
// the toolkit has already loaded.
using CssProviderNew = void* (*)();
using CssProviderLoad = int (*)(void* provider, const char* data, long length, void** error);
using ScreenDefault = void* (*)();
using AddProviderForScreen = void (*)(void* screen, void* provider, unsigned priority);

constexpr unsigned kApplicationPriority = 600;

constexpr char kCompactCss[] =
    "entry, button, combobox button, textview, text, spinbutton, radiobutton, checkbutton {"
    "  min-height: 0; padding-top: 0; padding-bottom: 0; }"
    "entry, button, combobox button { padding-left: 4px; padding-right: 4px; }"
    "radiobutton radio { min-height: 12px; min-width: 12px; margin-top: 0; margin-bottom: 0; }"
    "scrollbar, scrollbar contents, scrollbar trough { min-height: 0; padding: 0; margin: 0; }"
    "scrollbar slider { min-height: 4px; min-width: 4px; margin: 0; border-width: 0; }"
    "scrollbar button { min-height: 0; min-width: 0; padding: 0; }";

template <typename Function>
Function Lookup(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace

void ApplyCompactControlStyle() {
  static bool s_bApplied = false;
  if (s_bApplied) return;
  const auto providerNew = Lookup<CssProviderNew>("gtk_css_provider_new");
  const auto providerLoad = Lookup<CssProviderLoad>("gtk_css_provider_load_from_data");
  const auto screenDefault = Lookup<ScreenDefault>("gdk_screen_get_default");
  const auto addProvider =
      Lookup<AddProviderForScreen>("gtk_style_context_add_provider_for_screen");
  if (providerNew == nullptr || providerLoad == nullptr || screenDefault == nullptr ||
      addProvider == nullptr)
    return;
  void* const screen = screenDefault();
  if (screen == nullptr) return;
  // The provider stays referenced by the screen for the rest of the process.
  void* const provider = providerNew();
  if (provider == nullptr) return;
  providerLoad(provider, kCompactCss, -1, nullptr);
  addProvider(screen, provider, kApplicationPriority);
  s_bApplied = true;
}
