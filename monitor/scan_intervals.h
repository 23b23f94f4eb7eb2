#pragma once

#include <cstdint>
#include <iterator>

struct ScanInterval {
  char label[12];
  std::int32_t seconds;
};

// The labels are all six characters wide: the short ones start with a blank.
inline constexpr ScanInterval kScanIntervals[] = {
    {"30Sec.", 30},   {" 1min.", 60},   {" 5min.", 300},  {"10min.", 600},  {"15min.", 900},
    {"20min.", 1200}, {"25min.", 1500}, {"30min.", 1800}, {"60min.", 3600},
};
inline constexpr int kScanIntervalCount = static_cast<int>(std::size(kScanIntervals));
// "10min.": used wherever an index is missing or cannot be found.
inline constexpr int kDefaultScanIndex = 3;

// True when index names an entry of the table.
constexpr bool IsScanIndex(int index) { return index >= 0 && index < kScanIntervalCount; }

// The entry at index; the default entry for an index outside the table.
const ScanInterval& ScanIntervalAt(int index);

// The first index, searched from 0, whose seconds equal the given ones;
// kDefaultScanIndex when none does.
int ScanIndexOfSeconds(int seconds);
