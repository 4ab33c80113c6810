// Swallows every alert while it lives, for commands that report in their
// own words.
#pragma once

#include <memory>

#include "logger/Alerts.h"

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
      return alert.buttons == AlertButtons::YesNoCancel ? AlertAnswer::Cancel
             : alert.buttons == AlertButtons::YesNo     ? AlertAnswer::No
                                                        : AlertAnswer::Ok;
    }
  };
  std::shared_ptr<AlertSink> m_previous;
};

}  // namespace brisol::cli
