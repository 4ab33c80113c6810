// Shared by the tests of steps, recipes and presets: what a picture is
// made from written out exactly, what the panels show, and the picture.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QSlider>
#include <QStringList>
#include <cstdio>

#include "app/AppTestSupport.h"
#include "effect/EffectParams.h"
#include "imageio/LoadPicture.h"
#include "ui/ColMixDlg.h"
#include "ui/ParamDlg.h"

namespace brisol::test {

// Every value of the effect (exactly), its seed and collection, and the
// quality.
inline QStringList Values(CBrisolDoc* doc) {
  QStringList values;
  if (doc == nullptr || doc->GetRunner() == nullptr) return values;
  const CEffect& e = doc->GetRunner()->GetEffect();
  char text[64];
  for (const EffectParam& p : EffectParams()) {
    std::snprintf(text, sizeof text, "%.17g", p.get(e));
    values << QString::fromLatin1(p.key.data(), static_cast<qsizetype>(p.key.size())) + '=' + text;
  }
  values << QStringLiteral("seed=%1").arg(e.GetSeed());
  values << QStringLiteral("collection=%1").arg(QString::fromStdString(e.GetEffectDir()));
  values << QStringLiteral("shapes=%1").arg(e.GetNumShapes());
  values << QStringLiteral("quality=%1").arg(doc->Quality());
  return values;
}

// What both settings panels show: every edit's text, slider's position,
// choice and whether each is enabled.
inline QStringList PanelsShow(CMainFrame& frame) {
  QStringList shown;
  for (QWidget* panel : {static_cast<QWidget*>(frame.ParamDlg()), static_cast<QWidget*>(frame.ColMixDlg())}) {
    for (auto* edit : panel->findChildren<QLineEdit*>())
      shown << edit->objectName() + '=' + edit->text() + (edit->isEnabled() ? "" : " (off)");
    for (auto* slider : panel->findChildren<QSlider*>())
      shown << slider->objectName() + '=' + QString::number(slider->value()) + (slider->isEnabled() ? "" : " (off)");
    for (auto* combo : panel->findChildren<QComboBox*>()) shown << combo->objectName() + '=' + combo->currentText();
  }
  return shown;
}

// The output picture on view once every drawing asked for has ended.
inline QByteArray PictureOnView(CBrisolDoc* doc) {
  if (!WaitForPicture(doc) || doc->GV() == nullptr || doc->GV()->GetShow() != 1) return {};
  const CDADC* shown = doc->GV()->GetCurrentDADC();
  return shown ? Pixels(*shown) : QByteArray();
}

// Runs brisol-cli of this build (BRISOL_CLI_PATH) with the arguments; its
// exit status (-1 when it did not run to its end), with what it printed.
inline int RunCli(const QStringList& args, QString& output) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(qEnvironmentVariable("BRISOL_CLI_PATH"), args);
  const bool finished = process.waitForFinished(240000) && process.exitStatus() == QProcess::NormalExit;
  output = "brisol-cli " + args.join(' ') + "\n" + QString::fromLocal8Bit(process.readAll());
  return finished ? process.exitCode() : -1;
}

inline QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The pixels of a picture file; empty when it cannot be read.
inline QByteArray PicturePixels(const QString& path) {
  const LoadResult loaded = LoadPicture(path.toStdString());
  return loaded.ok() ? Pixels(**loaded) : QByteArray();
}

}  // namespace brisol::test
