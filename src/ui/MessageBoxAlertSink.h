// The program's alert sink in the desktop program: each alert is an
// application-modal message box titled with the alert's caption, with its
// icon and buttons; a box raised without an icon gets the one of its level
// (the question mark for a question, the warning sign for a plain box). Shown from the user-interface thread only; an
// alert raised on another thread is written to standard error instead.
#pragma once

#include "logger/Alerts.h"

namespace brisol {

class MessageBoxAlertSink : public AlertSink {
 public:
  AlertAnswer Show(const Alert& alert) override;
};

}  // namespace brisol
