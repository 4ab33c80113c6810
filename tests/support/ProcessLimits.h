// For tests that run code under a limit of the process's: whether this
// build can (an AddressSanitizer build reserves terabytes of address space
// and cannot start under an address-space limit), and limiting a forked
// child's address space to a little more than it uses.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

namespace brisol::test {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitizedBuild = true;
#else
constexpr bool kSanitizedBuild = false;
#endif
#else
constexpr bool kSanitizedBuild = false;
#endif

// The address space the process has mapped, in bytes.
inline std::uint64_t MappedBytes() {
  long pages = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
    std::fclose(statm);
  }
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

// Limits the process's address space to what it has mapped and extra bytes
// more (soft and hard limit alike); false when it cannot. For forked
// children: the limit is not taken back.
inline bool LimitAddressSpaceTo(std::uint64_t extra) {
  rlimit limit{};
  limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(MappedBytes() + extra);
  return ::setrlimit(RLIMIT_AS, &limit) == 0;
}

}  // namespace brisol::test
