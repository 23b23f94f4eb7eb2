#pragma once

#include <string_view>

// The window texts the core writes: the main window's title and its two status
// fields. Texts are 8-bit UTF-8 bytes (a router page may hold other bytes; the
// window shows those as replacement characters).
//
// The setters may be called from the UI thread and from the scan worker. An
// implementation shows each text on the UI thread, in the order written.
class CWindowText {
 public:
  virtual ~CWindowText() = default;

  virtual void SetTitle(std::string_view text) = 0;
  virtual void SetHttpStatus(std::string_view text) = 0;
  virtual void SetMailStatus(std::string_view text) = 0;

  // Called on the UI thread at each poll while it waits for the worker to stop:
  // texts the worker has written so far must reach the window here, so that a
  // worker waiting on its own text can go on to its next tick.
  virtual void DeliverPending() = 0;
};
