// How quickly programs bring up their first window on an X display, and when
// it stops repainting. Each round starts every program once, in alternating
// order, so that both meet the same load:
//
//   startup_bench [--rounds N] [--trace] PROGRAM...
//
// mapped: from just before exec to the MapNotify of the program's first
// top-level window; settled: to the last damage (repaint) of that window
// before a second without any; repaints: damage events after mapping. Each
// program runs with an empty XDG_CONFIG_HOME of its own and is ended with
// SIGTERM once settled.

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr auto kQuiet = std::chrono::milliseconds(1000);
constexpr auto kLimit = std::chrono::seconds(20);

struct Sample {
  double mapped = 0;
  double settled = 0;
  int repaints = 0;
};

struct DisplayClose {
  void operator()(Display* display) const { XCloseDisplay(display); }
};

struct Watch {
  Display* display;
  int damageEvent;
  // Prints every damaged rectangle of the window, to see what repaints.
  bool trace;
};

pid_t Start(const char* program, const std::filesystem::path& config) {
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

// Waits for the next event until the deadline; false when none came.
bool NextEvent(Display* display, Clock::time_point deadline, XEvent& event) {
  while (XPending(display) == 0) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd item{ConnectionNumber(display), POLLIN, 0};
    poll(&item, 1, static_cast<int>(left.count()));
  }
  XNextEvent(display, &event);
  return true;
}

bool Measure(const Watch& watch, const char* program, Sample& sample) {
  Display* const display = watch.display;
  const auto config =
      std::filesystem::temp_directory_path() / ("orlavo-startup-" + std::to_string(getpid()));
  std::filesystem::create_directories(config);
  XSync(display, True);  // nothing left over from the run before
  const auto begin = Clock::now();
  const pid_t pid = Start(program, config);

  std::vector<Damage> damages;
  Window window = None;
  Clock::time_point last = begin;
  Clock::time_point deadline = begin + kLimit;
  XEvent event;
  while (NextEvent(display, deadline, event)) {
    const auto now = Clock::now();
    if (event.type == CreateNotify) {
      // Every new top-level that can be drawn in may be the program's window:
      // watch its repaints.
      XWindowAttributes attributes;
      if (XGetWindowAttributes(display, event.xcreatewindow.window, &attributes) != 0 &&
          attributes.c_class == InputOutput) {
        damages.push_back(
            XDamageCreate(display, event.xcreatewindow.window, XDamageReportRawRectangles));
      }
    } else if (event.type == MapNotify && window == None && !event.xmap.override_redirect) {
      window = event.xmap.window;
      sample.mapped = Ms(now - begin).count();
      last = now;
      deadline = std::min(begin + kLimit, now + kQuiet);
    } else if (event.type == watch.damageEvent + XDamageNotify) {
      const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
      if (window != None && damage.drawable == window) {
        // One repaint may damage several rectangles; the last says no more.
        if (!damage.more) ++sample.repaints;
        if (watch.trace) {
          std::printf("  %8.1f ms  %4dx%-4d at %d,%d\n", Ms(now - begin).count(), damage.area.width,
                      damage.area.height, damage.area.x, damage.area.y);
        }
        last = now;
        deadline = std::min(begin + kLimit, now + kQuiet);
      }
    }
  }
  sample.settled = Ms(last - begin).count();
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  for (const Damage damage : damages) XDamageDestroy(display, damage);
  XSync(display, True);
  std::filesystem::remove_all(config);
  return window != None;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 10;
  bool trace = false;
  std::vector<const char*> programs;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--trace") == 0) {
      trace = true;
    } else {
      programs.push_back(argv[i]);
    }
  }
  if (programs.empty()) {
    std::fprintf(stderr, "usage: startup_bench [--rounds N] [--trace] PROGRAM...\n");
    return 2;
  }
  const std::unique_ptr<Display, DisplayClose> display(XOpenDisplay(nullptr));
  int damageEvent = 0;
  int damageError = 0;
  if (!display || !XDamageQueryExtension(display.get(), &damageEvent, &damageError)) {
    std::fprintf(stderr, "startup_bench: no X display with the DAMAGE extension\n");
    return 2;
  }
  // A window may be gone before it is looked at; that is no failure here.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  XSelectInput(display.get(), DefaultRootWindow(display.get()), SubstructureNotifyMask);
  const Watch watch{display.get(), damageEvent, trace};

  std::vector<std::vector<Sample>> samples(programs.size());
  // One round more than counted: the first fills the caches.
  for (int round = 0; round <= rounds; ++round) {
    for (std::size_t k = 0; k < programs.size(); ++k) {
      const std::size_t p = round % 2 == 0 ? k : programs.size() - 1 - k;
      Sample sample;
      if (!Measure(watch, programs[p], sample)) {
        std::fprintf(stderr, "startup_bench: %s showed no window\n", programs[p]);
        return 1;
      }
      if (round > 0) samples[p].push_back(sample);
    }
  }

  // Ratios are to the last program named, the reference.
  std::printf("medians of %d interleaved rounds; ratios to the last program\n", rounds);
  std::printf("%-32s %10s %6s %11s %6s %9s\n", "program", "mapped ms", "ratio", "settled ms",
              "ratio", "repaints");
  std::vector<double> mapped(programs.size()), settled(programs.size()), repaints(programs.size());
  for (std::size_t p = 0; p < programs.size(); ++p) {
    std::vector<double> m, s, r;
    for (const Sample& sample : samples[p]) {
      m.push_back(sample.mapped);
      s.push_back(sample.settled);
      r.push_back(sample.repaints);
    }
    mapped[p] = Median(m);
    settled[p] = Median(s);
    repaints[p] = Median(r);
  }
  for (std::size_t p = 0; p < programs.size(); ++p) {
    std::printf("%-32s %10.1f %6.2f %11.1f %6.2f %9.1f\n",
                std::filesystem::path(programs[p]).filename().c_str(), mapped[p],
                mapped[p] / mapped.back(), settled[p], settled[p] / settled.back(), repaints[p]);
  }
  return 0;
}
