#pragma once

#include <wx/string.h>
#include <wx/window.h>

// What a screen reader is told about the dialogs' controls, through the
// toolkit's accessibility layer: GTK's ATK (accessibility_gtk.cpp), or the
// toolkit's IAccessible on Windows (accessibility_msw.cpp). Without that
// layer these do nothing.

// The name announced for control, in place of any label the toolkit guessed
// from the controls around it.
void SetAccessibleName(wxWindow& control, const wxString& name);

// Makes label (a text or a group box's title) the label of control and of
// nothing else, for the relations a screen reader follows between the two.
// A group box's title may label the box itself.
void SetAccessibleLabelFor(wxWindow& label, wxWindow& control);

// Test seam: where ORLAVO_TEST_ACCESSIBLE_NAMES names a file, writes into it
// each of window's controls as the platform's accessibility interface shows
// it to a screen reader inside the program, one line each in creation order:
// "role<TAB>state<TAB>focus stop (1 or 0)<TAB>name", role and state as numbers,
// in UTF-8. Windows alone: under Wine no screen reader's interface reaches
// the program from outside, whereas GTK's is read from outside.
void WriteAccessibleNamesForTest(wxWindow& window);
