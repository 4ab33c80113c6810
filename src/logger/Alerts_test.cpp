#include "logger/Alerts.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "RecordingAlertSink.h"
#include "logger/RepeatFolder.h"
#include "logger/Trace.h"

namespace brisol {
namespace {

using test::ScopedAlertRecorder;

// A worker's own sink takes the worker's alerts; other threads keep the
// program's sink, and the worker's sink ends with its scope.
TEST(Alerts, ThreadSinkTakesOnlyThatThreadsAlerts) {
  ScopedAlertRecorder program;
  test::RecordingAlertSink worker;
  std::thread thread([&worker] {
    {
      ScopedThreadAlertSink scope(worker);
      AlertBox("from the worker");
    }
    AlertBox("after the scope");
  });
  thread.join();
  AlertBox("from the main thread");
  EXPECT_EQ(worker.Texts(), std::vector<std::string>{"from the worker"});
  EXPECT_EQ(program.sink().Texts(), (std::vector<std::string>{"after the scope", "from the main thread"}));
}

TEST(Alerts, BoxesCarryCaptionButtonsAndIcon) {
  ScopedAlertRecorder rec;
  AlertBox("plain %d", 1);
  AskYesNo("yes or no %.1f", 2.5);
  AskYesNoCancel("three way");
  WalertBox(kIconStop, "stop");
  DxfMsgBox("dxf %s", "msg");
  DxfWalertBox(kIconInformation, "dxf info");

  const auto alerts = rec.sink().Alerts();
  ASSERT_EQ(alerts.size(), 6u);
  struct Expected {
    const char* caption;
    const char* text;
    int icon;
    AlertButtons buttons;
  };
  const Expected expected[] = {
      {"Brisol", "plain 1", kIconNone, AlertButtons::Ok},
      {"Brisol", "yes or no 2.5", kIconNone, AlertButtons::YesNo},
      {"Brisol", "three way", kIconNone, AlertButtons::YesNoCancel},
      {"Brisol", "stop", kIconStop, AlertButtons::Ok},
      {"DxfMsg", "dxf msg", kIconNone, AlertButtons::Ok},
      {"DxfMsg", "dxf info", kIconInformation, AlertButtons::Ok},
  };
  for (size_t i = 0; i < alerts.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(alerts[i].caption, expected[i].caption);
    EXPECT_EQ(alerts[i].text, expected[i].text);
    EXPECT_EQ(alerts[i].icon, expected[i].icon);
    EXPECT_EQ(alerts[i].buttons, expected[i].buttons);
    EXPECT_TRUE(alerts[i].taskModal);
  }
}

TEST(Alerts, BadIconWarnsThenShowsWithExclamation) {
  struct Case {
    bool dxf;
    const char* warning;
    const char* caption;
  };
  for (const Case& c :
       {Case{false, "Bad icon in WalertBox:5", "Brisol"}, Case{true, "Bad icon in DxfWalertBox:5", "DxfMsg"}}) {
    ScopedAlertRecorder rec;
    if (c.dxf)
      DxfWalertBox(5, "the text");
    else
      WalertBox(5, "the text");
    const auto alerts = rec.sink().Alerts();
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].text, c.warning);
    EXPECT_EQ(alerts[0].icon, kIconExclamation);
    EXPECT_EQ(alerts[1].text, "the text");
    EXPECT_EQ(alerts[1].icon, kIconExclamation);
    EXPECT_EQ(alerts[1].caption, c.caption);
  }
}

TEST(Alerts, QuestionsReturnTheAnswerGiven) {
  ScopedAlertRecorder rec;
  rec.sink().QueueAnswer(AlertAnswer::Yes);
  rec.sink().QueueAnswer(AlertAnswer::Cancel);
  EXPECT_EQ(AskYesNo("q1"), AlertAnswer::Yes);
  EXPECT_EQ(AskYesNoCancel("q2"), AlertAnswer::Cancel);
}

TEST(Alerts, SinksWithoutABoxNeverBlockAndAnswerCautiously) {
  StderrAlertSink toStderr;
  LogOnlyAlertSink toLog;
  for (AlertSink* sink : std::initializer_list<AlertSink*>{&toStderr, &toLog}) {
    Alert alert{"Brisol", "question", kIconNone, AlertButtons::YesNo, true};
    testing::internal::CaptureStderr();
    EXPECT_EQ(sink->Show(alert), AlertAnswer::No);
    alert.buttons = AlertButtons::YesNoCancel;
    EXPECT_EQ(sink->Show(alert), AlertAnswer::Cancel);
    alert.buttons = AlertButtons::Ok;
    EXPECT_EQ(sink->Show(alert), AlertAnswer::Ok);
    FlushStderrRepeats();
    // Only the standard-error sink writes there; the other keeps to the log.
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              sink == &toStderr ? "Brisol: question\n    (repeated 2 more times)\n" : "");
  }
}

TEST(Alerts, PercentInArgumentIsShownUnchanged) {
  ScopedAlertRecorder rec;
  AlertBox("%s", "100% done %d %s");
  ASSERT_EQ(rec.Texts().size(), 1u);
  EXPECT_EQ(rec.Texts()[0], "100% done %d %s");
}

TEST(Alerts, LongTextIsNotTruncated) {
  ScopedAlertRecorder rec;
  const std::string longText(5000, 'x');
  AlertBox("%s", longText.c_str());
  EXPECT_EQ(rec.Texts().at(0), longText);
}

TEST(Alerts, SysErrorBoxAppendsTheSystemText) {
  ScopedAlertRecorder rec;
  errno = ENOENT;
  SysErrorBox("CDADC::CBC", "Could not lock handle:hBm=%u", 7u);
  const auto alerts = rec.sink().Alerts();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].caption, "CDADC::CBC");
  EXPECT_EQ(alerts[0].text, std::string("Could not lock handle:hBm=7 \n ") + std::strerror(ENOENT));
  EXPECT_EQ(alerts[0].icon, kIconInformation);
  EXPECT_FALSE(alerts[0].taskModal);
}

TEST(Alerts, RemoveBlanks) {
  struct Case {
    const char* in;
    const char* out;
  };
  for (const Case& c : {Case{"", ""}, Case{" a b\tc\n", "abc"}, Case{"abc", "abc"}, Case{" \t\r\n", ""}}) {
    std::string buffer = c.in;
    const int length = RemoveBlanks(buffer.data());
    EXPECT_STREQ(buffer.c_str(), c.out);
    EXPECT_EQ(length, static_cast<int>(std::strlen(c.out)));
  }
  EXPECT_EQ(RemoveBlanks(nullptr), 0);
}

TEST(Trace, HandlerReceivesTextsAndDefaultDiscards) {
  std::vector<std::string> seen;
  TraceHandler previous = SetTraceHandler([&](const std::string& t) { seen.push_back(t); });
  TraceMsg("line %d", 3);
  SetTraceHandler(previous);
  TraceMsg("not seen");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "line 3");
}

}  // namespace
}  // namespace brisol
