// Alerts raised away from the user-interface thread, shown on it one after
// the other in the order they were raised. A box shown from the queue may
// run a nested event loop in which more alerts arrive: they join the queue
// instead of opening a second box on top of the first.
#pragma once

#include <deque>
#include <mutex>
#include <vector>

#include "logger/Alerts.h"

namespace brisol {

class CAlertQueue {
 public:
  void Add(std::vector<Alert> alerts);
  // Shows every queued alert through the program's alert sink; returns at
  // once when called from inside a box that the queue is showing.
  void ShowAll();
  bool Empty() const { return m_alerts.empty(); }

 private:
  std::deque<Alert> m_alerts;
  bool m_bShowing = false;
};

// Collects the alerts of one thread (installed with ScopedThreadAlertSink):
// plain boxes answer OK, questions get the cautious answer.
// The worker threads of a drawing show into their caller's sink, so it takes
// alerts from several threads at once.
class CCollectingAlertSink : public AlertSink {
 public:
  AlertAnswer Show(const Alert& alert) override;
  std::vector<Alert> Take();

 private:
  std::mutex m_mutex;
  std::vector<Alert> m_alerts;
};

}  // namespace brisol
