#pragma once

// GTK's default theme makes entries, buttons, lists and text views taller
// than the dialog's rectangles. Applies, once per process, a style that lets
// them shrink to their rectangles.
void ApplyCompactControlStyle();
