// The program's message boxes. Every box goes through one replaceable sink:
// message boxes in the GUI, standard error in the command-line tools, a
// recorder in tests.
#pragma once

#include <memory>
#include <string>

namespace brisol {

// Icon values as the boxes take them.
enum AlertIcon : int {
  kIconNone = 0,
  kIconStop = 16,
  kIconQuestion = 32,
  kIconExclamation = 48,
  kIconInformation = 64,
};

enum class AlertButtons { Ok, YesNo, YesNoCancel };
enum class AlertAnswer { Ok, Yes, No, Cancel };

struct Alert {
  std::string caption;  // "Brisol", "DxfMsg" or a caller's caption
  std::string text;     // already formatted; shown verbatim
  int icon = kIconNone;
  AlertButtons buttons = AlertButtons::Ok;
  bool taskModal = true;
};

class AlertSink {
 public:
  virtual ~AlertSink() = default;
  // Shows the alert and returns the button the user chose.
  virtual AlertAnswer Show(const Alert& alert) = 0;
};

// Writes "caption: text" to standard error (a repeat right after itself is
// told once with a count) and never waits for input.
// Questions get the cautious answer: No for yes/no, Cancel for
// yes/no/cancel.
class StderrAlertSink : public AlertSink {
 public:
  AlertAnswer Show(const Alert& alert) override;
};

// Shows nothing: writes "(not shown) caption: text" to the log, for work
// that reports in its own words (a command-line tool, a batch on a worker
// thread). Questions get the cautious answer, as above.
class LogOnlyAlertSink : public AlertSink {
 public:
  AlertAnswer Show(const Alert& alert) override;
};

// The cautious answer to an alert nobody sees: Ok, No for yes/no, Cancel
// for yes/no/cancel.
AlertAnswer CautiousAnswer(const Alert& alert);

// Installs a sink for the whole program and returns the previous one. A null
// sink restores the standard-error sink.
std::shared_ptr<AlertSink> SetAlertSink(std::shared_ptr<AlertSink> sink);
std::shared_ptr<AlertSink> CurrentAlertSink();

// Hands one alert to the current sink: the calling thread's own, if one is
// installed, else the program's.
AlertAnswer ShowAlert(const Alert& alert);

// While it lives, alerts raised on the thread that made it go to the given
// sink instead of the program's: work on a worker thread collects its
// messages so that the user-interface thread can show them.
class ScopedThreadAlertSink {
 public:
  explicit ScopedThreadAlertSink(AlertSink& sink);
  // Null: the program's sink, as on a thread without one.
  explicit ScopedThreadAlertSink(AlertSink* sink);
  ~ScopedThreadAlertSink();
  ScopedThreadAlertSink(const ScopedThreadAlertSink&) = delete;
  ScopedThreadAlertSink& operator=(const ScopedThreadAlertSink&) = delete;

 private:
  AlertSink* m_previous;
};

// The sink installed on the calling thread, or null; worker threads install
// their caller's so that their alerts go where the caller's go.
AlertSink* ThreadAlertSink();

// The boxes, printf-style. The formatted text is never formatted again, so a
// percent sign in an argument is shown as it is.
void AlertBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
AlertAnswer AskYesNo(const char* format, ...) __attribute__((format(printf, 1, 2)));
AlertAnswer AskYesNoCancel(const char* format, ...) __attribute__((format(printf, 1, 2)));
AlertAnswer WalertBox(int icon, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Text followed by the description of the last system error (errno).
void SysErrorBox(const char* caption, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The shape library's channels.
void DxfMsgBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
AlertAnswer DxfWalertBox(int icon, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Removes every white-space character in place; returns the new length.
int RemoveBlanks(char* text);

// The description of the current errno.
std::string LastSystemErrorText();

}  // namespace brisol
