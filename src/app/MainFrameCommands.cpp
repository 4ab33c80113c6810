// The main window's help and command-line commands.
#include <QClipboard>
#include <QGuiApplication>
#include <QStatusBar>

#include "app/BrisolDoc.h"
#include "app/CommandLine.h"
#include "app/HelpWindow.h"
#include "app/MainFrame.h"
#include "effect/Runner.h"
#include "raster/Dadc.h"

namespace brisol {

void CMainFrame::OnHelpTopics() {
  if (!m_pHelp) m_pHelp = new CHelpWindow(this);
  m_pHelp->show();
  KeepOnScreenSoon(m_pHelp);
  m_pHelp->raise();
  m_pHelp->activateWindow();
}

void CMainFrame::OnCopyCommandLine() {
  CBrisolDoc* doc = ActiveDocument();
  if (doc == nullptr || doc->GetRunner() == nullptr || doc->GetOriginal() == nullptr ||
      doc->ImageName() == kClipboardName) {
    return;
  }
  RenderCommand command;
  command.input = doc->ImageName();
  command.output = DefaultRenderOutput(command.input);
  const SIZE size = doc->GetOriginal()->GetSize();
  const QSize read = doc->ReadSize();
  if (read.isValid() && (read.width() != size.cx || read.height() != size.cy)) {
    command.resizedWidth = size.cx;
    command.resizedHeight = size.cy;
    command.resizedFile = DefaultResizedFile(command.input, size.cx, size.cy);
  }
  const std::string line = RenderCommandLine(command, doc->GetRunner()->GetEffect(), doc->Quality());
  QGuiApplication::clipboard()->setText(QString::fromStdString(line));
  statusBar()->showMessage(tr("The command that makes this picture is on the clipboard"), 5000);
}

}  // namespace brisol
