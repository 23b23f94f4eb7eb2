#include "ui/accessibility.h"

#include <utility>

#include <wx/statbox.h>

#include "ui/gtk_library.h"

namespace {

// Looked up in the GTK and ATK libraries the toolkit has already loaded, as
// the compact style does.
using WidgetGetAccessible = void* (*)(void* widget);
using AtkObjectSetName = void (*)(void* accessible, const char* name);
using RefRelationSet = void* (*)(void* accessible);
using RelationByType = void* (*)(void* relationSet, int type);
using RelationSetRemove = void (*)(void* relationSet, void* relation);
using AddRelationship = int (*)(void* accessible, int type, void* target);
using ObjectUnref = void (*)(void* object);
// AtkRelationType values.
constexpr int kLabelFor = 3;
constexpr int kLabelledBy = 4;
using FrameGetLabelWidget = void* (*)(void* frame);
using LabelSetMnemonicWidget = void (*)(void* label, void* widget);

}  // namespace

void SetAccessibleName(wxWindow& control, const wxString& name) {
  static const auto getAccessible = LookupGtk<WidgetGetAccessible>("gtk_widget_get_accessible");
  static const auto setName = LookupGtk<AtkObjectSetName>("atk_object_set_name");
  if (getAccessible == nullptr || setName == nullptr) return;
  // The widget that takes the keyboard: the text view inside a multi-line
  // box's scrolled window, the entry of a single-line one.
  void* const accessible = getAccessible(control.GetConnectWidget());
  if (accessible != nullptr) setName(accessible, name.utf8_str());
}

void SetAccessibleLabelFor(wxWindow& label, wxWindow& control) {
  static const auto getAccessible = LookupGtk<WidgetGetAccessible>("gtk_widget_get_accessible");
  static const auto refSet = LookupGtk<RefRelationSet>("atk_object_ref_relation_set");
  static const auto byType = LookupGtk<RelationByType>("atk_relation_set_get_relation_by_type");
  static const auto remove = LookupGtk<RelationSetRemove>("atk_relation_set_remove");
  static const auto add = LookupGtk<AddRelationship>("atk_object_add_relationship");
  static const auto unref = LookupGtk<ObjectUnref>("g_object_unref");
  static const auto frameLabel = LookupGtk<FrameGetLabelWidget>("gtk_frame_get_label_widget");
  static const auto setMnemonic =
      LookupGtk<LabelSetMnemonicWidget>("gtk_label_set_mnemonic_widget");
  if (getAccessible == nullptr || refSet == nullptr || byType == nullptr || remove == nullptr ||
      add == nullptr || unref == nullptr || frameLabel == nullptr || setMnemonic == nullptr)
    return;
  void* const labelWidget = dynamic_cast<wxStaticBox*>(&label) != nullptr
                                ? frameLabel(label.GetHandle())
                                : label.GetHandle();
  void* const labelObject = labelWidget != nullptr ? getAccessible(labelWidget) : nullptr;
  void* const controlObject = getAccessible(control.GetConnectWidget());
  if (labelObject == nullptr || controlObject == nullptr) return;
  // The label would otherwise name that control again when asked next.
  setMnemonic(labelWidget, control.GetConnectWidget());
  // The toolkit ties every label to the control created after it; the
  // dialog's template puts each label after its control.
  for (const auto& [object, type] :
       {std::pair{labelObject, kLabelFor}, {controlObject, kLabelledBy}}) {
    void* const relations = refSet(object);
    if (relations == nullptr) continue;
    while (void* const wrong = byType(relations, type)) remove(relations, wrong);
    unref(relations);
  }
  add(labelObject, kLabelFor, controlObject);
  add(controlObject, kLabelledBy, labelObject);
}

void WriteAccessibleNamesForTest(wxWindow& /*window*/) {}
