// Comparing files and large byte strings in tests: a difference is told by
// the sizes and fingerprints of both, and where they first differ, never by
// the bytes themselves (a picture file would fill the log).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "RecordingAlertSink.h"

namespace brisol::test {

// FNV-1a, 64 bits: a fingerprint of bytes.
inline unsigned long long Fingerprint(const std::string& bytes) {
  unsigned long long h = 1469598103934665603ull;
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  return h;
}

inline std::string Describe(const std::string& bytes) {
  char text[64];
  std::snprintf(text, sizeof text, "%zu bytes, fingerprint %016llx", bytes.size(), Fingerprint(bytes));
  return text;
}

// EXPECT_TRUE(SameBytes(a, b)) for byte strings too large to print.
inline ::testing::AssertionResult SameBytes(const std::string& a, const std::string& b) {
  if (a == b) return ::testing::AssertionSuccess();
  std::size_t first = 0;
  while (first < a.size() && first < b.size() && a[first] == b[first]) ++first;
  return ::testing::AssertionFailure() << "the bytes differ from offset " << first << ": " << Describe(a) << " against "
                                       << Describe(b);
}

// EXPECT_TRUE(SameFileBytes(pathA, pathB)): both files hold the same bytes.
inline ::testing::AssertionResult SameFileBytes(const std::string& a, const std::string& b) {
  ::testing::AssertionResult same = SameBytes(ReadFile(a), ReadFile(b));
  if (!same) same << " ('" << a << "' against '" << b << "')";
  return same;
}

}  // namespace brisol::test
