#include "ui/single_radio_button.h"

#include <vector>

#include "ui/gtk_library.h"

namespace {

// GSList, the list gtk_radio_button_get_group() returns.
struct GroupList {
  void* data;
  GroupList* next;
};

using RadioButtonNewFromWidget = void* (*)(void* groupMember);
using RadioButtonGetGroup = GroupList* (*)(void* button);
using RadioButtonSetGroup = void (*)(void* button, GroupList* group);
using ToggleButtonSetActive = void (*)(void* button, int active);
using ObjectRefSink = void* (*)(void* object);
using WidgetDestroy = void (*)(void* widget);
using ObjectUnref = void (*)(void* object);

}  // namespace

CSingleRadioButton::CSingleRadioButton(wxWindow* parent, int id, const wxString& label,
                                       const wxRect& rect)
    : wxRadioButton(parent, id, label, rect.GetPosition(), rect.GetSize(), wxRB_SINGLE) {
  // wxWidgets 3.2.3 and later give a single radio button a hidden partner in
  // its GTK group, through which it turns the button off; a screen reader
  // then announces the button as one of two. Every other member leaves the
  // group (each becomes a group of its own, still the toolkit's to destroy),
  // and SetValue() turns the button off as below.
  static const auto getGroup = LookupGtk<RadioButtonGetGroup>("gtk_radio_button_get_group");
  static const auto setGroup = LookupGtk<RadioButtonSetGroup>("gtk_radio_button_set_group");
  if (getGroup == nullptr || setGroup == nullptr) return;
  void* const self = GetHandle();
  // Each departure changes the list: the others are collected first.
  std::vector<void*> others;
  for (const GroupList* member = getGroup(self); member != nullptr; member = member->next)
    if (member->data != self) others.push_back(member->data);
  for (void* const other : others) setGroup(other, nullptr);
}

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
