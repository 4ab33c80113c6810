#include "logger/Logger.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "RecordingAlertSink.h"

namespace brisol {
namespace {

using test::ReadFile;
using test::ScopedAlertRecorder;
using test::TempDir;

TEST(Logger, LevelsDecideWhatTheUserSeesWithoutAFile) {
  ScopedAlertRecorder rec;
  CLogger log;
  log.Log(kLogError, "shown %d", 1);
  log.Log(kLogDeferred, "first deferred");
  log.Log(kLogDeferred, "second deferred");
  log.Log(kLogInfo, "info only");
  log.Log(7, "any other level is information");
  EXPECT_EQ(rec.Texts(), std::vector<std::string>{"shown 1"});
}

TEST(Logger, ACaptureTakesTheDeferredErrorsOfItsThreadOnly) {
  ScopedAlertRecorder rec;
  CLogger log;
  CErrorCapture capture;
  {
    const ScopedErrorCapture scope(&capture);
    log.Log(kLogDeferred, "first");
    log.Log(kLogDeferred, "second");
    log.Log(kLogInfo, "information is not an error");
    // Another thread without the capture is not gathered.
    std::thread([&log] { log.Log(kLogDeferred, "elsewhere"); }).join();
    {
      const ScopedErrorCapture none(nullptr);
      log.Log(kLogDeferred, "uncaptured");
    }
  }
  log.Log(kLogDeferred, "after");
  EXPECT_EQ(capture.First(), "first");
  EXPECT_EQ(capture.Last(), "second");
  EXPECT_EQ(capture.Count(), 2);
  EXPECT_EQ(ThreadErrorCapture(), nullptr);
  EXPECT_TRUE(rec.Texts().empty());
}

TEST(Logger, FileFormat) {
  ScopedAlertRecorder rec;
  TempDir dir;
  const std::string path = dir.File("Logger.log");
  CLogger log;
  log.SetToFile(path.c_str(), true);
  log.Log(kLogInfo, "Working directory=%s", "/home/u/Brisol");
  log.Log(kLogError, "Could not create screen dc\n");
  log.Log(kLogDeferred, "50%% done");

  const std::string contents = ReadFile(path);
  const std::regex expected("CLogger::SetToFile \\(" + path +
                            "\\) on Date: \\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d\\.\n"
                            "\\[\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\\]:Working directory=/home/u/Brisol\n"
                            "\nERROR:\n"
                            "\\[\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\\]:Could not create screen dc\n"
                            "\nERROR:\n"
                            "\\[\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\\]:50% done\n");
  EXPECT_TRUE(std::regex_match(contents, expected)) << contents;
}

TEST(Logger, AppendKeepsEarlierContentAndTruncateDoesNot) {
  ScopedAlertRecorder rec;
  TempDir dir;
  const std::string path = dir.File("Logger.log");
  test::WriteFile(path, "old line\n");
  {
    CLogger log;
    log.SetToFile(path.c_str(), false);
  }
  EXPECT_EQ(ReadFile(path).rfind("old line\nCLogger::SetToFile", 0), 0u);
  {
    CLogger log;
    log.SetToFile(path.c_str(), true);
  }
  EXPECT_EQ(ReadFile(path).rfind("CLogger::SetToFile", 0), 0u);
}

TEST(Logger, SecondSetToFileKeepsTheFirst) {
  ScopedAlertRecorder rec;
  TempDir dir;
  CLogger log;
  log.SetToFile(dir.File("a.log").c_str(), true);
  log.SetToFile(dir.File("b.log").c_str(), true);
  EXPECT_EQ(log.FileName(), dir.File("a.log"));
  ASSERT_EQ(rec.Texts().size(), 1u);
  EXPECT_EQ(rec.Texts()[0], "CLogger::SetToFile, but <" + dir.File("a.log") + "> is being used");
  log.SetToFile(nullptr, true);
  EXPECT_EQ(rec.Texts().back(), "CLogger::SetToFile, no file specified");
}

TEST(Logger, UnopenableFileIsReportedOnceThenIgnored) {
  ScopedAlertRecorder rec;
  TempDir dir;
  const std::string path = dir.File("missing-dir/Logger.log");
  CLogger log;
  log.SetToFile(path.c_str(), true);
  EXPECT_EQ(rec.Texts().at(0), "Non riesco ad aprire il file\n<" + path + ">");
  log.Log(kLogInfo, "one");
  log.Log(kLogError, "two");
  log.Log(kLogInfo, "three");
  const auto texts = rec.Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[1], "Could not open log file:" + path + "\nFile error : No such file or directory\n");
  EXPECT_EQ(texts[2], "two");  // errors still reach the user
  EXPECT_TRUE(log.GaveUp());
}

TEST(Logger, SystemErrorEntry) {
  ScopedAlertRecorder rec;
  CLogger log;
  errno = ENOMEM;
  log.LogSystemError(kLogError, "CreateDIBSection", "CDADC %s", "InitData");
  ASSERT_EQ(rec.Texts().size(), 1u);
  EXPECT_EQ(rec.Texts()[0], "CreateDIBSection CDADC InitData \n    Errnum=12, Error=Cannot allocate memory\n");
}

}  // namespace
}  // namespace brisol
