#include "imageio/TemporaryFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace brisol {
namespace {

// Every signal whose default action ends the program and that can be caught.
constexpr int kSignals[] = {SIGINT,  SIGTERM,   SIGHUP,  SIGQUIT, SIGXFSZ, SIGUSR1,   SIGUSR2, SIGPIPE,
                            SIGALRM, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSTKFLT, SIGXCPU, SIGSYS,
                            SIGTRAP, SIGABRT,   SIGBUS,  SIGFPE,  SIGILL,  SIGSEGV};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

// The paths the signal handler removes. A slot is free, being written, ready
// (the handler may remove its path) or taken by a running handler; the
// handler only reads a slot it has moved from ready to taken, and a guard
// frees only a slot it finds still ready, so neither sees the other's
// half-written path.
enum SlotState : int { kFree, kWriting, kReady, kTaken };
constexpr int kSlots = 16;
struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX + 1] = {};
};
Slot g_slots[kSlots];

// Which signals have the handler, and what they had before; guarded by
// g_installMutex, changed only while no temporary file is guarded.
std::mutex g_installMutex;
int g_guarded = 0;
bool g_installed[kSignalCount] = {};
struct sigaction g_previous[kSignalCount];

void RemoveGuardedFiles(int signal) {
  const int savedErrno = errno;
  for (Slot& slot : g_slots) {
    int expected = kReady;
    if (slot.state.compare_exchange_strong(expected, kTaken)) ::unlink(slot.path);
  }
  errno = savedErrno;
  // The handler was installed with SA_RESETHAND: the signal's own action
  // (ending the program) follows once this handler returns.
  ::raise(signal);
}

void InstallHandlers() {
  for (int i = 0; i < kSignalCount; ++i) {
    struct sigaction current {};
    if (::sigaction(kSignals[i], nullptr, &current) != 0) continue;
    // Only where the signal would end the program: an ignored signal or
    // someone else's handler stays as it is.
    if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
    struct sigaction handler {};
    handler.sa_handler = RemoveGuardedFiles;
    sigemptyset(&handler.sa_mask);
    for (int s : kSignals) sigaddset(&handler.sa_mask, s);
    handler.sa_flags = SA_RESETHAND;
    if (::sigaction(kSignals[i], &handler, &g_previous[i]) == 0) g_installed[i] = true;
  }
}

void RestoreHandlers() {
  for (int i = 0; i < kSignalCount; ++i) {
    if (!g_installed[i]) continue;
    ::sigaction(kSignals[i], &g_previous[i], nullptr);
    g_installed[i] = false;
  }
}

// Holds the guarded signals back on this thread while it lives.
class HeldSignals {
 public:
  HeldSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kSignals) sigaddset(&set, s);
    ::pthread_sigmask(SIG_BLOCK, &set, &m_previous);
  }
  ~HeldSignals() { ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }

 private:
  sigset_t m_previous;
};

}  // namespace

TemporaryFile::TemporaryFile(std::string pattern) : m_path(std::move(pattern)) {
  const HeldSignals held;
  {
    std::lock_guard lock(g_installMutex);
    if (g_guarded++ == 0) InstallHandlers();
  }
  m_fd = ::mkostemp(m_path.data(), O_CLOEXEC);
  if (m_fd < 0) {
    m_error = errno;
    std::lock_guard lock(g_installMutex);
    if (--g_guarded == 0) RestoreHandlers();
    return;
  }
  for (int i = 0; i < kSlots && m_path.size() <= PATH_MAX; ++i) {
    int expected = kFree;
    if (!g_slots[i].state.compare_exchange_strong(expected, kWriting)) continue;
    std::memcpy(g_slots[i].path, m_path.c_str(), m_path.size() + 1);
    g_slots[i].state.store(kReady);
    m_slot = i;
    break;
  }
  // Locked while the save lives (also after the file is closed, until it is
  // renamed or removed), so that a later save into the folder, on this
  // machine or another sharing it, can tell a file whose save is gone.
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (::fcntl(m_fd, F_OFD_SETLK, &lock) == 0) m_lockFd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
}

bool TemporaryFile::Close() {
  if (m_fd < 0) return true;
  const int fd = m_fd;
  m_fd = -1;
  return ::close(fd) == 0;
}

void TemporaryFile::Keep() {
  if (m_slot >= 0) {
    int expected = kReady;
    g_slots[m_slot].state.compare_exchange_strong(expected, kFree);
    m_slot = -1;
  }
  m_path.clear();
  if (m_lockFd >= 0) ::close(m_lockFd);
  m_lockFd = -1;
}

TemporaryFile::~TemporaryFile() {
  if (m_fd >= 0) ::close(m_fd);
  if (m_error != 0) return;  // never made, never counted as guarded
  const std::string path = m_path;
  Keep();  // out of the handler's hands first, then gone
  if (!path.empty()) ::unlink(path.c_str());
  std::lock_guard lock(g_installMutex);
  if (--g_guarded == 0) RestoreHandlers();
}

std::string TemporaryPatternBeside(const std::string& path, const std::string& folder) {
  const std::size_t slash = path.rfind('/');
  const std::string prefix = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  const std::size_t limit = longest > 0 ? static_cast<std::size_t>(longest) : 255;
  const std::string owner = ".p" + std::to_string(::getpid());
  const std::size_t added = 9 + owner.size();  // ".~", the owner and ".XXXXXX"
  if (name.size() + added > limit) name.resize(limit > added ? limit - added : 0);
  return prefix + ".~" + name + owner + ".XXXXXX";
}

namespace {

// NAME of ".~NAME.XXXXXX" with six letters or digits; empty for any other
// name.
std::string_view TemporaryFileTarget(std::string_view entry) {
  constexpr std::size_t kSuffix = 7;  // ".XXXXXX"
  if (entry.size() <= 2 + kSuffix || entry.substr(0, 2) != ".~" || entry[entry.size() - kSuffix] != '.') return {};
  for (const char c : entry.substr(entry.size() - 6)) {
    const bool alphanumeric = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!alphanumeric) return {};
  }
  return entry.substr(2, entry.size() - 2 - kSuffix);
}

// Takes the owner ".pPID" off the end of a temporary file's NAME; false
// when it has none (a file of a save that took no lock).
bool TakeOwner(std::string_view& name) {
  const std::size_t dot = name.rfind(".p");
  if (dot == std::string_view::npos || dot + 2 == name.size()) return false;
  for (const char c : name.substr(dot + 2))
    if (c < '0' || c > '9') return false;
  name = name.substr(0, dot);
  return true;
}

// Whether no save holds the file's lock: its process is gone.
bool Unlocked(int dirFd, const char* name) {
  const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  const bool unlocked = ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type == F_UNLCK;
  ::close(fd);
  return unlocked;
}

// A file no save has locked is left this long after its last change: the
// moment between a save's creating its file and locking it.
constexpr std::chrono::seconds kUnlockedAge{5};

}  // namespace

int RemoveStaleTemporaryFiles(const std::string& folder, std::chrono::seconds maxAge,
                              bool (*isName)(std::string_view name)) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return 0;
  const int dirFd = ::dirfd(dir);
  const auto now = std::chrono::system_clock::now();
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    std::string_view target = TemporaryFileTarget(entry->d_name);
    const bool owned = TakeOwner(target);
    if (target.empty() || (isName != nullptr && !isName(target))) continue;
    struct stat info {};
    if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != ::geteuid()) {
      continue;
    }
    const auto changed = std::chrono::system_clock::from_time_t(info.st_mtim.tv_sec);
    const bool abandoned = owned && now - changed > kUnlockedAge && Unlocked(dirFd, entry->d_name);
    if (now - changed <= maxAge && !abandoned) continue;
    if (::unlinkat(dirFd, entry->d_name, 0) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

}  // namespace brisol
