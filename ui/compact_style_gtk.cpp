#include "ui/compact_style.h"

#include <algorithm>

#include "ui/gtk_library.h"

namespace {

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
    "scrollbar button { min-height: 0; min-width: 0; padding: 0; }"
    // The one scroll bar the dialog shows must be seen and grabbed.
    "scrolledwindow.orlavo-one-line scrollbar slider { min-width: 8px; min-height: 6px; }"
    // A button disabled before the window first draws would otherwise fade
    // out for a fifth of a second after it appears, and one disabled at Start
    // would stand half-faded while the first check holds the window.
    "button:disabled { transition: none; }";

// GtkPolicyType, GtkTextView and GtkEntry calls, by value.
constexpr int kPolicyAlways = 0;
constexpr int kPolicyExternal = 3;
using SetPolicy = void (*)(void* scrolled, int horizontal, int vertical);
using SetOverlayScrolling = void (*)(void* scrolled, int overlay);
using SetPixelsBelowLines = void (*)(void* textView, int pixels);
using WidgetGetStyleContext = void* (*)(void* widget);
using StyleContextAddClass = void (*)(void* context, const char* name);
struct GdkRectangle {
  int x, y, width, height;
};
using EntryGetTextArea = void (*)(void* entry, GdkRectangle* area);
using LabelSetYAlign = void (*)(void* label, float yalign);
using WindowSetTypeHint = void (*)(void* window, int hint);
using WindowSetResizable = void (*)(void* window, int resizable);
constexpr int kTypeHintNormal = 0;

}  // namespace

void ApplyCompactControlStyle() {
  static bool s_bApplied = false;
  if (s_bApplied) return;
  const auto providerNew = LookupGtk<CssProviderNew>("gtk_css_provider_new");
  const auto providerLoad = LookupGtk<CssProviderLoad>("gtk_css_provider_load_from_data");
  const auto screenDefault = LookupGtk<ScreenDefault>("gdk_screen_get_default");
  const auto addProvider =
      LookupGtk<AddProviderForScreen>("gtk_style_context_add_provider_for_screen");
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

void ApplyOneLineTextBoxStyle(wxTextCtrl& box) {
  const auto setPolicy = LookupGtk<SetPolicy>("gtk_scrolled_window_set_policy");
  const auto setOverlay =
      LookupGtk<SetOverlayScrolling>("gtk_scrolled_window_set_overlay_scrolling");
  const auto setBelow = LookupGtk<SetPixelsBelowLines>("gtk_text_view_set_pixels_below_lines");
  const auto styleContext = LookupGtk<WidgetGetStyleContext>("gtk_widget_get_style_context");
  const auto addClass = LookupGtk<StyleContextAddClass>("gtk_style_context_add_class");
  if (setPolicy == nullptr || setOverlay == nullptr || setBelow == nullptr ||
      styleContext == nullptr || addClass == nullptr)
    return;
  void* const scrolled = box.GetHandle();
  // No horizontal bar, but the view still follows the caret sideways; a
  // vertical bar that is always there and not an overlay that hides.
  setPolicy(scrolled, kPolicyExternal, kPolicyAlways);
  setOverlay(scrolled, 0);
  addClass(styleContext(scrolled), "orlavo-one-line");
  // Every line fills the box, so the box shows one whole line at a time.
  const int lineHeight = box.GetCharHeight();
  const int viewHeight = box.GetClientSize().GetHeight();
  setBelow(box.GetConnectWidget(), std::max(0, viewHeight - lineHeight));
}

void CentreLineVertically(wxStaticText& label) {
  const auto setYAlign = LookupGtk<LabelSetYAlign>("gtk_label_set_yalign");
  if (setYAlign != nullptr) setYAlign(label.GetHandle(), 0.5F);
}

int TextAreaWidth(wxTextCtrl& edit) {
  const auto getTextArea = LookupGtk<EntryGetTextArea>("gtk_entry_get_text_area");
  if (getTextArea == nullptr) return edit.GetClientSize().GetWidth();
  GdkRectangle area{};
  getTextArea(edit.GetConnectWidget(), &area);
  return area.width > 0 ? area.width : edit.GetClientSize().GetWidth();
}

void StyleAsMainWindow(wxTopLevelWindow& window) {
  // Dialogs get a title bar with a close button only, where the window
  // manager does not draw it (Wayland): a main window keeps its minimise
  // button.
  const auto setTypeHint = LookupGtk<WindowSetTypeHint>("gtk_window_set_type_hint");
  if (setTypeHint != nullptr) setTypeHint(window.GetHandle(), kTypeHintNormal);
}

void KeepWindowSize(wxTopLevelWindow& window) {
  // A window that cannot be resized takes the width its title asks for when
  // the toolkit draws the title bar itself (Wayland); one whose smallest and
  // largest sizes are its size keeps that size and shortens the title.
  const auto setResizable = LookupGtk<WindowSetResizable>("gtk_window_set_resizable");
  if (setResizable == nullptr) return;
  window.SetSizeHints(window.GetSize(), window.GetSize());
  setResizable(window.GetHandle(), 1);
}
