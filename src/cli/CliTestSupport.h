// Running the real brisol-cli from tests.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FileCompare.h"
#include "ProcessLimits.h"
#include "RecordingAlertSink.h"

namespace brisol::test {

struct CliResult {
  int status = -1;  // the exit status; -1 when a signal ended the program
  int signal = 0;   // the signal that ended it
  std::string out;
  std::string err;
};

inline std::string ShellQuote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// How a shell command ran, from std::system's status.
inline void TakeStatus(int status, CliResult& run) {
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  // A shell reports a program a signal ended as 128 + the signal.
  if (run.status > 128 && run.status < 128 + 65) {
    run.signal = run.status - 128;
    run.status = -1;
  }
}

// Shell text that points fontconfig at a configuration whose cache is
// written in folder. A program run under a memory or file-size limit may find
// a font folder changed and write a partial cache; it must never be the
// system's, which every later program reads. The system's cache is still read
// first, so a program usually writes nothing.
inline std::string PrivateFontCache(const TempDir& folder) {
  const std::string conf = folder.File("fonts.conf");
  const std::string cache = folder.File("font-cache");
  std::filesystem::create_directories(cache);
  WriteFile(conf,
            "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n"
            "  <include ignore_missing=\"yes\">/etc/fonts/conf.d</include>\n"
            "  <dir>/usr/share/fonts</dir>\n"
            "  <cachedir>" +
                cache + "</cachedir>\n  <cachedir>/var/cache/fontconfig</cachedir>\n</fontconfig>\n");
  return "export FONTCONFIG_FILE=" + ShellQuote(conf) + "; ";
}

// Runs brisol-cli with the arguments through the shell, after shell (limits
// such as "ulimit -v 20000; ") and behind wrapper (a command that runs it,
// such as "timeout -s KILL 20"); standard input is empty, standard output
// goes to stdoutTo (a shell redirection such as ">/dev/full" or ">&-") or is
// captured, standard error is captured.
inline CliResult RunCliIn(const std::string& shell, const std::vector<std::string>& args,
                          const std::string& stdoutTo = {}, const std::string& cwd = {},
                          const std::string& wrapper = {}) {
  TempDir dir;
  // A sanitizer build's table of the suppressions it used is not the
  // program's output.
  std::string command = "export LSAN_OPTIONS=\"${LSAN_OPTIONS:+$LSAN_OPTIONS:}print_suppressions=0\"; ";
  if (!shell.empty()) command += PrivateFontCache(dir);
  if (!cwd.empty()) command += "cd " + ShellQuote(cwd) + " && ";
  command += shell + "exec " + (wrapper.empty() ? std::string() : wrapper + " ") + ShellQuote(BRISOL_CLI_PATH);
  for (const std::string& a : args) command.append(" ").append(ShellQuote(a));
  command.append(" </dev/null ")
      .append(stdoutTo.empty() ? ">" + ShellQuote(dir.File("out")) : stdoutTo)
      .append(" 2>")
      .append(ShellQuote(dir.File("err")));
  CliResult run;
  TakeStatus(std::system(command.c_str()), run);
  run.out = ReadFile(dir.File("out"));
  run.err = ReadFile(dir.File("err"));
  return run;
}

// Runs brisol-cli with the arguments (in the folder cwd, when given);
// standard output and error are captured.
inline CliResult RunCli(const std::vector<std::string>& args, const std::string& cwd = {}) {
  return RunCliIn({}, args, {}, cwd);
}

// Why the user uid cannot run the program and read and write in folder
// (every folder above the program and the folder must let it through);
// empty when it can. For tests that run the program as another user.
inline std::string WhyUserCannotRunIn(int uid, const std::string& folder) {
  const std::string as =
      "/usr/bin/setpriv --reuid=" + std::to_string(uid) + " --regid=" + std::to_string(uid) + " --clear-groups ";
  const std::string probe = folder + "/.probe-" + std::to_string(::getpid());
  if (std::system((as + ShellQuote(BRISOL_CLI_PATH) + " --help >/dev/null 2>&1").c_str()) != 0)
    return "user " + std::to_string(uid) + " cannot run " + std::string(BRISOL_CLI_PATH) +
           " (a folder above it may not be entered)";
  if (std::system(
          (as + "sh -c " + ShellQuote(": >" + ShellQuote(probe) + " && rm " + ShellQuote(probe)) + " >/dev/null 2>&1")
              .c_str()) != 0)
    return "user " + std::to_string(uid) + " cannot write in " + folder;
  return {};
}

}  // namespace brisol::test
