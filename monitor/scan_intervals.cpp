#include "monitor/scan_intervals.h"

const ScanInterval& ScanIntervalAt(int index) {
  return kScanIntervals[IsScanIndex(index) ? index : kDefaultScanIndex];
}

int ScanIndexOfSeconds(int seconds) {
  for (int i = 0; i < kScanIntervalCount; ++i) {
    if (kScanIntervals[i].seconds == seconds) return i;
  }
  return kDefaultScanIndex;
}
