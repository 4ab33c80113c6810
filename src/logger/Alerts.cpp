#include "Alerts.h"

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "Format.h"
#include "Logger.h"
#include "RepeatFolder.h"

namespace brisol {
namespace {

std::mutex g_sinkMutex;
std::shared_ptr<AlertSink> g_sink;
thread_local AlertSink* t_threadSink = nullptr;

constexpr const char* kCaption = "Brisol";
constexpr const char* kDxfCaption = "DxfMsg";

bool IsKnownIcon(int icon) {
  return icon == kIconNone || icon == kIconStop || icon == kIconQuestion || icon == kIconExclamation ||
         icon == kIconInformation;
}

AlertAnswer Show(const char* caption, std::string text, int icon, AlertButtons buttons, bool taskModal = true) {
  Alert alert;
  alert.caption = caption;
  alert.text = std::move(text);
  alert.icon = icon;
  alert.buttons = buttons;
  alert.taskModal = taskModal;
  return ShowAlert(alert);
}

}  // namespace

AlertAnswer CautiousAnswer(const Alert& alert) {
  switch (alert.buttons) {
    case AlertButtons::YesNo:
      return AlertAnswer::No;
    case AlertButtons::YesNoCancel:
      return AlertAnswer::Cancel;
    case AlertButtons::Ok:
      break;
  }
  return AlertAnswer::Ok;
}

AlertAnswer StderrAlertSink::Show(const Alert& alert) {
  std::string line = alert.caption + ": " + alert.text;
  if (alert.text.empty() || alert.text.back() != '\n') line += '\n';
  WriteToStderr(line);
  return CautiousAnswer(alert);
}

AlertAnswer LogOnlyAlertSink::Show(const Alert& alert) {
  TheLogger().Log(kLogInfo, "(not shown) %s: %s", alert.caption.c_str(), alert.text.c_str());
  return CautiousAnswer(alert);
}

std::shared_ptr<AlertSink> SetAlertSink(std::shared_ptr<AlertSink> sink) {
  std::lock_guard lock(g_sinkMutex);
  std::shared_ptr<AlertSink> previous = std::move(g_sink);
  g_sink = std::move(sink);
  return previous;
}

std::shared_ptr<AlertSink> CurrentAlertSink() {
  std::lock_guard lock(g_sinkMutex);
  if (!g_sink) g_sink = std::make_shared<StderrAlertSink>();
  return g_sink;
}

AlertAnswer ShowAlert(const Alert& alert) {
  if (t_threadSink != nullptr) return t_threadSink->Show(alert);
  // The sink runs outside the lock: a GUI sink may wait for the user.
  return CurrentAlertSink()->Show(alert);
}

ScopedThreadAlertSink::ScopedThreadAlertSink(AlertSink& sink) : m_previous(t_threadSink) { t_threadSink = &sink; }

ScopedThreadAlertSink::ScopedThreadAlertSink(AlertSink* sink) : m_previous(t_threadSink) { t_threadSink = sink; }

ScopedThreadAlertSink::~ScopedThreadAlertSink() { t_threadSink = m_previous; }

AlertSink* ThreadAlertSink() { return t_threadSink; }

void AlertBox(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  Show(kCaption, std::move(text), kIconNone, AlertButtons::Ok);
}

AlertAnswer AskYesNo(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  return Show(kCaption, std::move(text), kIconNone, AlertButtons::YesNo);
}

AlertAnswer AskYesNoCancel(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  return Show(kCaption, std::move(text), kIconNone, AlertButtons::YesNoCancel);
}

AlertAnswer WalertBox(int icon, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  if (!IsKnownIcon(icon)) {
    WalertBox(kIconExclamation, "Bad icon in WalertBox:%d", icon);
    icon = kIconExclamation;
  }
  return Show(kCaption, std::move(text), icon, AlertButtons::Ok);
}

void SysErrorBox(const char* caption, const char* format, ...) {
  const std::string systemText = LastSystemErrorText();
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  Show(caption ? caption : kCaption, Format("%s \n %s", text.c_str(), systemText.c_str()), kIconInformation,
       AlertButtons::Ok, /*taskModal=*/false);
}

void DxfMsgBox(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  Show(kDxfCaption, std::move(text), kIconNone, AlertButtons::Ok);
}

AlertAnswer DxfWalertBox(int icon, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  if (!IsKnownIcon(icon)) {
    DxfWalertBox(kIconExclamation, "Bad icon in DxfWalertBox:%d", icon);
    icon = kIconExclamation;
  }
  return Show(kDxfCaption, std::move(text), icon, AlertButtons::Ok);
}

int RemoveBlanks(char* text) {
  if (text == nullptr) return 0;
  char* out = text;
  for (const char* in = text; *in; ++in) {
    if (!std::isspace(static_cast<unsigned char>(*in))) *out++ = *in;
  }
  *out = '\0';
  return static_cast<int>(out - text);
}

std::string LastSystemErrorText() {
  const int err = errno;
  char buffer[256] = {};
  // GNU strerror_r returns the text, which may or may not live in buffer.
  const char* text = strerror_r(err, buffer, sizeof buffer);
  return text ? text : "";
}

}  // namespace brisol
