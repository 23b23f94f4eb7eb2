#pragma once

#include <string_view>

// The window texts the core writes: the main window's title and its two status
// fields. Texts are 8-bit UTF-8 bytes (a router page may hold other bytes; the
// window shows those as replacement characters).
//
// The setters may be called from the UI thread and from the scan worker, and
// never wait for the UI thread. An implementation shows each text on the UI
// thread, in the order written.
class CWindowText {
 public:
  virtual ~CWindowText() = default;

  virtual void SetTitle(std::string_view text) = 0;
  virtual void SetHttpStatus(std::string_view text) = 0;
  virtual void SetMailStatus(std::string_view text) = 0;

  // UI thread only: shows now whatever the worker has written that is not yet
  // shown.
  virtual void DeliverPending() = 0;
};
