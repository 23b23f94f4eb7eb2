#pragma once

#include <dlfcn.h>

// A function of the GTK libraries the toolkit has already loaded, or null
// where there are none: no GTK headers are needed.
template <typename Function>
Function LookupGtk(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
}
