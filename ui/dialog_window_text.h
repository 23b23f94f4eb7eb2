#pragma once

#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include "monitor/window_text_queue.h"

// Shows the window texts in window's title and the two status fields. A text
// the worker queues wakes the window's event loop, which delivers the batch.
// The windows must outlive the attachment: detach the queue before they go.
void AttachWindowText(CWindowTextQueue& texts, wxTopLevelWindow& window, wxTextCtrl& httpStatus,
                      wxTextCtrl& mailStatus);
