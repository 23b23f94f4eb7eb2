#include "ui/single_radio_button.h"

#include "ui/gtk_library.h"

namespace {

using RadioButtonNewFromWidget = void* (*)(void* groupMember);
using ToggleButtonSetActive = void (*)(void* button, int active);
using ObjectRefSink = void* (*)(void* object);
using WidgetDestroy = void (*)(void* widget);
using ObjectUnref = void (*)(void* object);

}  // namespace

CSingleRadioButton::CSingleRadioButton(wxWindow* parent, int id, const wxString& label,
                                       const wxRect& rect)
    : wxRadioButton(parent, id, label, rect.GetPosition(), rect.GetSize(), wxRB_SINGLE) {}

void CSingleRadioButton::SetValue(bool bValue) {
  if (bValue || !GetValue()) {
    wxRadioButton::SetValue(bValue);
    return;
  }
  // GTK keeps one button of every group on. A button that is never shown
  // joins this one's group just long enough to take the "on" from it, so
  // that the group a screen reader sees is this button alone.
  static const auto newInGroup =
      LookupGtk<RadioButtonNewFromWidget>("gtk_radio_button_new_from_widget");
  static const auto setActive = LookupGtk<ToggleButtonSetActive>("gtk_toggle_button_set_active");
  static const auto refSink = LookupGtk<ObjectRefSink>("g_object_ref_sink");
  static const auto destroy = LookupGtk<WidgetDestroy>("gtk_widget_destroy");
  static const auto unref = LookupGtk<ObjectUnref>("g_object_unref");
  if (newInGroup == nullptr || setActive == nullptr || refSink == nullptr || destroy == nullptr ||
      unref == nullptr)
    return;
  void* const partner = refSink(newInGroup(GetHandle()));
  setActive(partner, 1);
  destroy(partner);
  unref(partner);
}
