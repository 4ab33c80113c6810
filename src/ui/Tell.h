// The desktop program's edge for a result (its windows, dialogs and
// commands): a failure is shown in a box with its message; a success or a
// stop (the person asked for it) shows nothing.
#pragma once

#include "logger/Alerts.h"
#include "logger/Outcome.h"

namespace brisol {

inline void TellFailure(const Done& ended) {
  if (!ended && !ended.stopped() && !ended.message().empty())
    WalertBox(kIconExclamation, "%s", ended.message().c_str());
}

}  // namespace brisol
