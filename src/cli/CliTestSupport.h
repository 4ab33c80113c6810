// Running the real brisol-cli from tests.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "RecordingAlertSink.h"

namespace brisol::test {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ShellQuote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs brisol-cli with the arguments (in the folder cwd, when given);
// standard output and error are captured.
inline CliResult RunCli(const std::vector<std::string>& args, const std::string& cwd = {}) {
  TempDir dir;
  std::string command = cwd.empty() ? std::string() : "cd " + ShellQuote(cwd) + " && ";
  command += ShellQuote(BRISOL_CLI_PATH);
  for (const std::string& a : args) command.append(" ").append(ShellQuote(a));
  command.append(" </dev/null >").append(ShellQuote(dir.File("out"))).append(" 2>").append(ShellQuote(dir.File("err")));
  const int status = std::system(command.c_str());
  CliResult run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadFile(dir.File("out"));
  run.err = ReadFile(dir.File("err"));
  return run;
}

// FNV-1a, 64 bits: a fingerprint of a file's bytes.
inline unsigned long long Fingerprint(const std::string& bytes) {
  unsigned long long h = 1469598103934665603ull;
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  return h;
}

}  // namespace brisol::test
