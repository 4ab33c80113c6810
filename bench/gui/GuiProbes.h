// What brisol-gui-bench watches the desktop program with: how late a 1 ms
// timer fires, how long each event takes, and when the view first paints
// after something new to show arrived.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMetaEnum>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace brisol::bench {

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double Max(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

// Measures how late a 1 ms timer fires on the user-interface thread.
class BlockProbe : public QObject {
 public:
  BlockProbe() {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, [this] {
      const double now = m_clock.nsecsElapsed() / 1e6;
      if (m_last >= 0) m_worst = std::max(m_worst, now - m_last - 1.0);
      m_last = now;
    });
  }
  void Start() {
    m_worst = 0;
    m_last = -1;
    m_clock.start();
    m_timer.start();
  }
  double Stop() {
    m_timer.stop();
    return m_worst;
  }

 private:
  QTimer m_timer;
  QElapsedTimer m_clock;
  double m_last = -1;
  double m_worst = 0;
};

// Times every event the user-interface thread handles (outermost only): the
// longest is the longest the program itself kept the thread busy, whatever
// the machine's other work adds to the timer's lateness.
class TimedApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    if (m_depth++ > 0) {
      const bool handled = QApplication::notify(receiver, event);
      --m_depth;
      return handled;
    }
    QElapsedTimer clock;
    clock.start();
    const QEvent::Type type = event->type();
    const bool handled = QApplication::notify(receiver, event);
    --m_depth;
    if (m_measuring) {
      const double ms = clock.nsecsElapsed() / 1e6;
      if (ms > m_longest) {
        m_longest = ms;
        m_longestType = type;
      }
    }
    return handled;
  }
  void Measure(bool on) {
    m_measuring = on;
    if (on) m_longest = 0;
  }
  double Longest() const { return m_longest; }
  const char* LongestType() const {
    const char* name = QMetaEnum::fromType<QEvent::Type>().valueToKey(m_longestType);
    return name ? name : "?";
  }

 private:
  int m_depth = 0;
  bool m_measuring = false;
  double m_longest = 0;
  int m_longestType = 0;
};

// Notes when the view first paints after a preview, and after a picture,
// arrived (milliseconds since Start).
class PaintWatch : public QObject {
 public:
  void Start() {
    m_clock.start();
    previewArrived = pictureArrived = false;
    firstShown = exactShown = -1;
    previewShownFirst = false;
  }
  void PreviewArrived() { previewArrived = true; }
  void PictureArrived() { pictureArrived = true; }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && (previewArrived || pictureArrived)) {
      const double now = m_clock.nsecsElapsed() / 1e6;
      if (firstShown < 0) {
        firstShown = now;
        previewShownFirst = !pictureArrived;
      }
      if (pictureArrived && exactShown < 0) exactShown = now;
      if (previewArrived && !pictureArrived) ++previewsPainted;
      previewArrived = false;
    }
    return QObject::eventFilter(watched, event);
  }
  bool previewArrived = false;
  bool pictureArrived = false;
  double firstShown = -1;
  double exactShown = -1;
  bool previewShownFirst = false;
  int previewsPainted = 0;

 private:
  QElapsedTimer m_clock;
};

}  // namespace brisol::bench
