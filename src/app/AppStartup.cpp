#include "app/AppStartup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "logger/Alerts.h"
#include "logger/Logger.h"
#include "raster/FileUtil.h"

namespace brisol {

std::string LogFilePath(const std::string& mainDirectory) { return mainDirectory + "/Logger.log"; }
std::string OldLogFilePath(const std::string& mainDirectory) { return mainDirectory + "/LoggerOld.log"; }

Done MakeMainDirectory(const std::string& mainDirectory) {
  if (IsDirectory(mainDirectory)) return {};
  std::error_code error;
  std::filesystem::create_directories(mainDirectory, error);
  if (!error && IsDirectory(mainDirectory)) return {};
  const std::string cause = error ? error.message() : std::string("something else of that name is in the way");
  return Fail("Could not create directory:\n" + mainDirectory + ".\n" + cause +
              ".\nBrisol goes on without its log and your own collections.");
}

void StartLogger(const std::string& mainDirectory, const std::string& version) {
  const std::string log = LogFilePath(mainDirectory);
  if (FileExists(log)) {
    const std::string old = OldLogFilePath(mainDirectory);
    if (FileExists(old) && std::remove(old.c_str()) != 0) {
      SysErrorBox("Brisol", "Could not remove <%s>", old.c_str());
    }
    if (std::rename(log.c_str(), old.c_str()) != 0)
      SysErrorBox("Could not rename", "(%s,%s)", log.c_str(), old.c_str());
    if (FileExists(log)) AlertBox("File still exists:\n%s", log.c_str());
  }
  TheLogger().SetToFile(log.c_str(), true);
  TheLogger().Log(kLogInfo, "Starting %s \n", version.c_str());
  TheLogger().Log(kLogInfo, "Working directory=%s\n", mainDirectory.c_str());
}

std::string CheckMainDirectory(const std::string& mainDirectory) {
  if (::chdir(mainDirectory.c_str()) != 0) {
    SysErrorBox("chdir", "Could not change to main dir\n<%s>", mainDirectory.c_str());
  }
  const std::string effects = mainDirectory + "/Effects";
  if (!IsDirectory(effects) && ::mkdir(effects.c_str(), 0777) != 0) {
    AlertBox("Could not create directory:\n%s.", effects.c_str());
  }
  return effects;
}

}  // namespace brisol
