#include "ui/dialog_units.h"

wxRect DialogRect(const wxWindow& window, int x, int y, int width, int height) {
  return {window.ConvertDialogToPixels(wxPoint(x, y)),
          window.ConvertDialogToPixels(wxSize(width, height))};
}
