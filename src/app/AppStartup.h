// The start-up steps that prepare the main directory: the log file (the
// previous run's log kept as LoggerOld.log) and the "Effects" folder.
#pragma once

#include <string>

#include "logger/Outcome.h"

namespace brisol {

// The log file of a main directory, and the previous run's.
std::string LogFilePath(const std::string& mainDirectory);
std::string OldLogFilePath(const std::string& mainDirectory);

// Makes the main directory, with its parents, when it does not exist yet, so
// that the log can start in it. A failure names the folder and the cause in
// the words of a box (the log and the effects folder are then left alone,
// so that no further box follows).
Done MakeMainDirectory(const std::string& mainDirectory);

// Moves the last log aside and starts a new, empty one, beginning with the
// program's version and the main directory.
void StartLogger(const std::string& mainDirectory, const std::string& version);

// Makes the main directory the current directory and makes sure its
// "Effects" folder exists; failures are shown and start-up goes on. Returns
// the effects folder.
std::string CheckMainDirectory(const std::string& mainDirectory);

}  // namespace brisol
