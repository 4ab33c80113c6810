#include "app/AlertQueue.h"

namespace brisol {

void CAlertQueue::Add(std::vector<Alert> alerts) {
  for (Alert& alert : alerts) m_alerts.push_back(std::move(alert));
}

void CAlertQueue::ShowAll() {
  if (m_bShowing) return;
  m_bShowing = true;
  while (!m_alerts.empty()) {
    const Alert alert = std::move(m_alerts.front());
    m_alerts.pop_front();
    ShowAlert(alert);
  }
  m_bShowing = false;
}

AlertAnswer CCollectingAlertSink::Show(const Alert& alert) {
  {
    std::lock_guard lock(m_mutex);
    m_alerts.push_back(alert);
  }
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

std::vector<Alert> CCollectingAlertSink::Take() {
  std::vector<Alert> taken;
  std::lock_guard lock(m_mutex);
  taken.swap(m_alerts);
  return taken;
}

}  // namespace brisol
