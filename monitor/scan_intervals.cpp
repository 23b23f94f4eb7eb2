#include "monitor/scan_intervals.h"

const ScanInterval& ScanIntervalAt(int index) {
  if (index < 0 || index >= kScanIntervalCount) index = kDefaultScanIndex;
  return kScanIntervals[index];
}

int ScanIndexOfSeconds(int seconds) {
  for (int i = 0; i < kScanIntervalCount; ++i) {
    if (kScanIntervals[i].seconds == seconds) return i;
  }
  return kDefaultScanIndex;
}
