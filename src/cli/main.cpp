// brisol-cli: batch work, checks and benchmarks without the GUI.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "Commands.h"
#include "Making.h"
#include "logger/Logger.h"
#include "logger/RepeatFolder.h"

namespace brisol::cli {
namespace {

constexpr Command kCommands[] = {
    {"render", "paint a photo anew with the shapes of an effect collection", RunRender},
    {"batch", "paint many photos alike, on several cores or machines", RunBatch},
    {"recipe", "print the recipe of a picture Brisol made or of a .brisol file", RunRecipe},
    {"presets", "list the presets found", RunPresets},
    {"effects", "list the effect collections found", RunEffects},
    {"demo", "make the demonstration picture (of a photo, or of a scene made in code)", RunDemo},
    {"identify", "tell the format, size and depth of picture files", RunIdentify},
    {"convert", "convert a picture file to another format, optionally resized", RunConvert},
    {"dxf-info", "read DXF drawings and report what the reader kept", RunDxfInfo},
    {"testcard", "draw a test picture through the drawing context into a BMP file", RunTestcard},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: brisol-cli COMMAND [ARGS...]\n"
               "       brisol-cli COMMAND --help\n\n"
               "Commands:\n");
  for (const Command& command : kCommands) {
    std::fprintf(out, "  %-12.*s %.*s\n", static_cast<int>(command.name.size()), command.name.data(),
                 static_cast<int>(command.summary.size()), command.summary.data());
  }
  std::fprintf(out,
               "\nEnvironment:\n"
               "  BRISOL_LOG=FILE  keep a log of internal details (codes, messages) in FILE\n"
               "  BRISOL_TRACE=1   show the DXF reader's traces on standard error\n");
}

// Memory held back from the start and given up when an allocation first
// fails, so that running out of memory can still be told: the exception,
// the step's name and the line that tells it need a little.
constexpr std::size_t kReserveBytes = 64u << 10;
std::atomic<void*> g_reserve{nullptr};

// What throwing std::bad_alloc, unwinding and telling it take at least.
constexpr std::size_t kThrowRoom = 16u << 10;
// The command running, for the line that tells it ran out of memory.
std::string_view g_command;

void WriteToStderr(std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
    if (n <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

// Called on whichever thread an allocation failed, perhaps on several at
// once: the reserve goes to one of them only.
void OnOutOfMemory() {
  if (void* reserve = g_reserve.exchange(nullptr)) {
    std::free(reserve);
    return;  // the allocation is tried again
  }
  if (void* probe = std::malloc(kThrowRoom)) {
    std::free(probe);
    std::set_new_handler(nullptr);  // the allocation fails again and throws std::bad_alloc
    return;
  }
  // Not even the exception could be made: told with what is at hand, by
  // one thread; the program ends with it.
  static std::atomic_flag told;
  if (told.test_and_set()) {
    for (;;) ::pause();
  }
  const char* what = Making::Current();
  WriteToStderr("brisol-cli ");
  WriteToStderr(g_command);
  WriteToStderr(": not enough memory for ");
  WriteToStderr(what != nullptr ? what : "this command's work");
  WriteToStderr("\n");
  std::_Exit(1);
}

// A standard stream that was closed gets /dev/null opened for reading only:
// no file the command opens can take its number (and receive what is
// written to the stream), and writing to it still fails as to a closed one.
void HoldClosedStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int held = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (held >= 0 && held != fd) {
      ::dup2(held, fd);
      ::close(held);
    }
  }
}

// The command's status, unless what it wrote to standard output could not
// all be written (a full disk, a closed stream): then 1, with one line.
int FinishStandardOutput(std::string_view name, int status) {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  const int error = flushed ? 0 : errno;
  if (flushed && !std::ferror(stdout)) return status;
  if (status != 0) return status;  // the command has told its own failure
  brisol::FlushStderrRepeats();
  std::fprintf(stderr, "brisol-cli %.*s: cannot write to standard output%s%s\n", static_cast<int>(name.size()),
               name.data(), error != 0 ? ": " : "", error != 0 ? std::strerror(error) : "");
  return 1;
}

// Runs the command; running out of memory, or any other exception, ends it
// with one line instead of an abort. What was being written is left as it
// was: saves replace their file only once the new one is whole.
int RunCommand(const Command& command, Args args) {
  const auto fail = [&command](const std::string& message) {
    brisol::FlushStderrRepeats();
    std::fprintf(stderr, "brisol-cli %.*s: %s\n", static_cast<int>(command.name.size()), command.name.data(),
                 message.c_str());
    return 1;
  };
  try {
    return command.run(args);
  } catch (const std::bad_alloc&) {
    const std::string what = Making::Failed();
    return fail("not enough memory for " + (what.empty() ? std::string("this command's work") : what));
  } catch (const std::exception& e) {
    const std::string what = Making::Failed();
    return fail("could not make " + (what.empty() ? std::string("what was asked") : what) + ": " + e.what());
  }
}

}  // namespace

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

}  // namespace brisol::cli

int main(int argc, char** argv) {
  using namespace brisol::cli;
  HoldClosedStandardStreams();
  if (void* reserve = std::malloc(kReserveBytes)) {
    std::memset(reserve, 0, kReserveBytes);  // really had, not only promised
    g_reserve = reserve;
  }
  std::set_new_handler(OnOutOfMemory);
  // A write beyond the file-size limit fails with "File too large" and is
  // told as other write failures are, instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  // The log of internal details (codes, the boxes a command keeps out of
  // sight) is kept only when asked for.
  if (const char* log = std::getenv("BRISOL_LOG"); log != nullptr && *log != '\0') {
    brisol::TheLogger().SetToFile(log, false);
  }
  if (argc < 2) {
    PrintUsage(stderr);
    return 2;
  }
  const std::string_view name = argv[1];
  if (IsHelp(name)) {
    PrintUsage(stdout);
    return FinishStandardOutput("--help", 0);
  }
  for (const Command& command : kCommands) {
    if (command.name == name) {
      g_command = command.name;
      const int status = RunCommand(command, Args(argv + 2, static_cast<std::size_t>(argc - 2)));
      return FinishStandardOutput(command.name, status);
    }
  }
  std::fprintf(stderr, "brisol-cli: unknown command '%s'\n", argv[1]);
  PrintUsage(stderr);
  return 2;
}
