// Reading and saving a settings file at the size limit, against a usual one:
// the cap is there for a runaway file, which must still load in about a
// second and never stall the window's start.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "settings/file_io.h"
#include "settings/settings_file.h"

namespace {

// The settings a save writes, then filler lines up to size bytes.
std::string SettingsFile(const std::string& filler, std::size_t size) {
  std::string text =
      "[ROUTER]\nIP-ADDRESS=192.168.1.1\nUSER-NAME=user\nPASSWORD=vorp\n\n[MAIL]\nSCAN-TIME=3\n"
      "MAIL-COUNT=1\nMAIL-TO0=report@example.com\nFROM-ADDRESS=report@example.com\n"
      "SMTP-SERVER=mail.example.com\nMAIL-SUBJECT=Hi! Master. Change IP Report Mail\n";
  text.reserve(size);
  while (text.size() + filler.size() <= size) text += filler;
  return text;
}

// A file of its own under the temporary directory, removed at the end.
class CBenchFile {
 public:
  explicit CBenchFile(const std::string& text)
      : m_path(std::filesystem::temp_directory_path() /
               ("orlavo-bench-" + std::to_string(::getpid()) + ".INI")) {
    std::ofstream(m_path, std::ios::binary) << text;
  }
  CBenchFile(const CBenchFile&) = delete;
  CBenchFile& operator=(const CBenchFile&) = delete;
  ~CBenchFile() { std::remove(m_path.c_str()); }
  std::string Path() const { return m_path.string(); }

 private:
  std::filesystem::path m_path;
};

// Filler lines for the file, and its size: the usual file, and runaway
// files just under the limit, one of many short lines, one of long comments.
void Load(benchmark::State& state, const std::string& filler, std::size_t size) {
  const CBenchFile file(SettingsFile(filler, size));
  auto record = std::make_unique<MonitorRecord>();
  for (auto _ : state) LoadSettings(*record, file.Path());
}

void Save(benchmark::State& state, const std::string& filler, std::size_t size) {
  const CBenchFile file(SettingsFile(filler, size));
  auto record = std::make_unique<MonitorRecord>();
  LoadSettings(*record, file.Path());
  for (auto _ : state) SaveSettings(*record, file.Path());
}

const std::string kComment = "; " + std::string(197, 'c') + "\n";
// Room for what a save adds to the filler-only file.
constexpr std::size_t kRunaway = kMaxFileSize - 4096;

BENCHMARK_CAPTURE(Load, usual_file, std::string(), 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, blank_lines_at_the_limit, std::string("\n"), kRunaway)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, long_comments_at_the_limit, kComment, kRunaway)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Save, usual_file, std::string(), 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Save, blank_lines_at_the_limit, std::string("\n"), kRunaway)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Save, long_comments_at_the_limit, kComment, kRunaway)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
