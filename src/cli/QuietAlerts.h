// Keeps every alert out of sight while it lives, for commands that report in
// their own words: each one goes to the program's log instead (set
// BRISOL_LOG to keep one), with the internal codes the person need not see.
#pragma once

#include <memory>

#include "logger/Alerts.h"

namespace brisol::cli {

class QuietAlerts {
 public:
  QuietAlerts() : m_previous(SetAlertSink(std::make_shared<LogOnlyAlertSink>())) {}
  ~QuietAlerts() { SetAlertSink(m_previous); }
  QuietAlerts(const QuietAlerts&) = delete;
  QuietAlerts& operator=(const QuietAlerts&) = delete;

 private:
  std::shared_ptr<AlertSink> m_previous;
};

}  // namespace brisol::cli
