// Keeps every alert out of sight while it lives, for commands that report in
// their own words: each one goes to the program's log instead (set
// BRISOL_LOG to keep one), with the internal codes the person need not see.
#pragma once

#include <memory>

#include "logger/Alerts.h"
#include "logger/Logger.h"

namespace brisol::cli {

class QuietAlerts {
 public:
  QuietAlerts() : m_previous(SetAlertSink(std::make_shared<Sink>())) {}
  ~QuietAlerts() { SetAlertSink(m_previous); }
  QuietAlerts(const QuietAlerts&) = delete;
  QuietAlerts& operator=(const QuietAlerts&) = delete;

 private:
  struct Sink : AlertSink {
    AlertAnswer Show(const Alert& alert) override {
      TheLogger().Log(kLogInfo, "(not shown) %s: %s", alert.caption.c_str(), alert.text.c_str());
      return alert.buttons == AlertButtons::YesNoCancel ? AlertAnswer::Cancel
             : alert.buttons == AlertButtons::YesNo     ? AlertAnswer::No
                                                        : AlertAnswer::Ok;
    }
  };
  std::shared_ptr<AlertSink> m_previous;
};

}  // namespace brisol::cli
