// Shared by the desktop program's window tests: each test program gets its
// own settings and data folders and a recording alert sink, a fake document
// that counts its redraws, and helpers to drive modal windows.
#pragma once

#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "RecordingAlertSink.h"
#include "ui/EffectDocument.h"

namespace brisol::test {

// Made before the application: private XDG folders and a recorder for every
// alert.
class UiTestEnvironment {
 public:
  UiTestEnvironment() {
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (m_dir.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", m_dir.path().toLocal8Bit());
    s_current = this;
  }
  ~UiTestEnvironment() { s_current = nullptr; }
  UiTestEnvironment(const UiTestEnvironment&) = delete;
  UiTestEnvironment& operator=(const UiTestEnvironment&) = delete;

  static UiTestEnvironment& Get() { return *s_current; }
  RecordingAlertSink& Alerts() { return m_recorder.sink(); }
  QString Folder() const { return m_dir.path(); }

 private:
  inline static UiTestEnvironment* s_current = nullptr;
  QTemporaryDir m_dir;
  ScopedAlertRecorder m_recorder;
};

inline RecordingAlertSink& Alerts() { return UiTestEnvironment::Get().Alerts(); }

// The alerts shown so far, one a line, for failure messages.
inline std::string AlertsText() {
  std::string all;
  for (const std::string& text : Alerts().Texts()) all += text + "\n";
  return all;
}

// The alerts shown so far as a list that QCOMPARE prints, and forgets them.
inline QStringList TakeAlerts() {
  QStringList texts;
  for (const std::string& text : Alerts().Texts()) texts << QString::fromStdString(text);
  Alerts().Clear();
  return texts;
}

// A list of expected alert texts.
inline QStringList Texts(std::initializer_list<std::string> texts) {
  QStringList list;
  for (const std::string& t : texts) list << QString::fromStdString(t);
  return list;
}

// A document that only counts the pictures asked of it.
class CountingDocument : public EffectDocument {
 public:
  void UpdateImage(bool force) override {
    ++calls;
    if (force) ++forced;
  }
  int calls = 0;
  int forced = 0;
};

// What the user does to a slider: moves it to a position with the mouse
// (one action of the slider, as a drag step).
inline void DragTo(QSlider* slider, int position) {
  slider->setSliderDown(true);
  slider->setSliderPosition(position);
  slider->setSliderDown(false);
}

// Replaces an edit's text as typing does.
inline void TypeInto(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  if (text.isEmpty()) {
    edit->del();
    return;
  }
  edit->insert(text);
}

// Chooses an item of a combo box as the user does.
inline void Choose(QComboBox* combo, const QString& text) {
  const int index = combo->findText(text);
  QVERIFY2(index >= 0, qPrintable(text));
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

// Runs action on the next modal window once it is up (polling the event
// loop); the caller then starts the modal loop. The action closes the
// window; when one of its checks fails, the window is rejected here so the
// test ends with its failure instead of waiting for a person.
inline void WhenModal(std::function<void(QWidget*)> action, int attempts = 500) {
  QTimer::singleShot(10, [action = std::move(action), attempts]() mutable {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      QPointer<QWidget> watched(modal);
      action(modal);
      if (QTest::currentTestFailed() && watched != nullptr && watched->isVisible()) {
        if (auto* dialog = qobject_cast<QDialog*>(watched.data()))
          dialog->reject();
        else
          watched->close();
      }
      return;
    }
    if (attempts > 0) WhenModal(std::move(action), attempts - 1);
  });
}

}  // namespace brisol::test

// A test program's main: the environment first, then the application.
#define BRISOL_UI_TEST_MAIN(TestClass)           \
  int main(int argc, char** argv) {              \
    brisol::test::UiTestEnvironment environment; \
    QApplication app(argc, argv);                \
    TestClass test;                              \
    QTEST_SET_MAIN_SOURCE_PATH                   \
    return QTest::qExec(&test, argc, argv);      \
  }
