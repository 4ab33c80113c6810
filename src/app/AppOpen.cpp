// The application's commands that open pictures: the open dialog, the
// recent files, paste, and the making of a document from a picture.
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QStatusBar>

#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/ChildFrame.h"
#include "app/Clipboard.h"
#include "app/MainFrame.h"
#include "app/ScrollView.h"
#include "imageio/Dib.h"
#include "imageio/LoadPicture.h"
#include "imageio/PictureFormats.h"
#include "logger/Alerts.h"
#include "logger/Logger.h"
#include "raster/Dadc.h"
#include "raster/FileUtil.h"
#include "ui/OpenImageDialog.h"
#include "ui/ResizeDlg.h"
#include "ui/WaitCursor.h"

namespace brisol {

namespace {
// How long the word that a photo is damaged stays in the status bar.
constexpr int kDamageStatusMs = 30000;
}  // namespace
namespace {

// The loader's sentence as a message box shows it: capital first, full
// stop last.
std::string AsSentence(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  if (!text.empty() && text.back() != '.' && text.back() != '!' && text.back() != '?') text += '.';
  return text;
}

}  // namespace

CBrisolDoc* CBrisolApp::OpenImage(const QString& given) {
  std::string path = given.toStdString();
  if (path.empty()) {
    int filter = m_settings.m_iImageReadType;
    // A folder that is gone (moved, or on a removed disk) starts at home.
    QString folder = QString::fromStdString(m_settings.m_szImageReadDir);
    if (!QDir(folder).exists()) folder = QDir::homePath();
    const QString chosen = GetOpenImageName(m_pMainFrame.get(), tr("Select image to open"), folder, filter);
    if (chosen.isEmpty()) return nullptr;
    path = chosen.toStdString();
  }
  if (PictureFormatOfName(path) == nullptr) {
    TheLogger().Log(kLogError, "This file format is not supported:\n<%s>", path.c_str());
    return nullptr;
  }
  // Every way in (the dialog, the recent files, a drop, the command line)
  // reads the picture here, and a failure is told in one sentence naming
  // the file and the cause.
  std::string damage;
  LoadOptions options;
  options.damage = &damage;
  LoadResult loaded = [&] {
    WaitCursor wait;
    return LoadPicture(path, options);
  }();
  if (!loaded.ok()) {
    WalertBox(kIconExclamation, "%s", AsSentence(loaded.message()).c_str());
    return nullptr;
  }
  SLRP(path);
  m_settings.m_Recent.Add(path);
  if (m_pMainFrame) m_pMainFrame->updateMenus();
  CBrisolDoc* doc = CADV(std::move(loaded).value(), path);
  // A damaged photo is shown as far as it could be read, and said so once.
  if (doc != nullptr && !damage.empty() && m_pMainFrame)
    m_pMainFrame->statusBar()->showMessage(QString::fromStdString(damage), kDamageStatusMs);
  return doc;
}

void CBrisolApp::SLRP(const std::string& path) {
  m_settings.m_szImageReadDir = QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
  const auto formats = PictureFormats();
  if (const PictureFormat* format = PictureFormatOfName(path)) {
    m_settings.m_iImageReadType = static_cast<int>(format - formats.data());
  } else {
    TheLogger().Log(kLogError, "SLRP: extension of\n<%s> not found.", path.c_str());
  }
}

void CBrisolApp::OpenMROFile(int i) {
  if (i < 0 || i >= CRecentFiles::kCount) {
    TheLogger().Log(kLogError, "***WARNING*** OpenMROFile (%d)\n", i);
    return;
  }
  const std::string entry = m_settings.m_Recent.Entry(i);
  if (entry.size() <= 3) {
    TheLogger().Log(kLogError, "***WARNING*** OpenMROFile (%d) strange filename <%s>\n", i, entry.c_str());
    return;
  }
  if (FileExists(entry))
    OpenImage(QString::fromStdString(entry));
  else
    AlertBox("This file has been deleted or moved:\n%s", entry.c_str());
}

void CBrisolApp::ProposeSize(int width, int height, int screenWidth, int screenHeight, int& outWidth, int& outHeight) {
  double w = width, h = height;
  while (w > screenWidth || h > screenHeight) {
    w *= 0.95;
    h *= 0.95;
  }
  outWidth = static_cast<int>(w);
  outHeight = static_cast<int>(h);
}

CBrisolDoc* CBrisolApp::CADV(const ByteBuffer& dib, const std::string& name) {
  if (!dib) {
    TheLogger().Log(kLogError, "CADV:Strange pointer\n:%p", static_cast<const void*>(nullptr));
    return nullptr;
  }
  if (name.empty()) {
    TheLogger().Log(kLogError, "CADV: missing bitmap name");
    return nullptr;
  }
  std::unique_ptr<CDADC> surface = CreateBitmapDADC(dib, 0, 0);
  if (!surface) {
    TheLogger().Log(kLogError, "CADCV,CreateBitmapDADC failed,\ncould not create original bitmap");
    return nullptr;
  }
  return CADV(std::move(surface), name);
}

CBrisolDoc* CBrisolApp::CADV(std::unique_ptr<CDADC> surface, const std::string& name) {
  if (!surface || name.empty()) {
    TheLogger().Log(kLogError, "CADV: missing bitmap name");
    return nullptr;
  }
  const SIZE read = surface->GetSize();
  if (read.cx > m_iScreenWidth || read.cy > m_iScreenHeight) {
    switch (AskYesNoCancel("The image is larger than your screen\nWould you like to resize it?")) {
      case AlertAnswer::Yes: {
        CResizeDlg dialog(m_pMainFrame.get());
        ProposeSize(read.cx, read.cy, m_iScreenWidth, m_iScreenHeight, dialog.m_iWidth, dialog.m_iHeight);
        dialog.m_iOrigWidth = read.cx;
        dialog.m_iOrigHeight = read.cy;
        if (dialog.exec() == QDialog::Accepted) ResizeImage(&surface, SIZE{dialog.m_iWidth, dialog.m_iHeight});
        break;
      }
      case AlertAnswer::No:
        break;
      default:
        return nullptr;
    }
  }
  QPointer<CBrisolDoc> doc = CNDV(std::move(surface), name);
  if (doc) doc->SetReadSize(QSize(read.cx, read.cy));
  return doc;
}

CBrisolDoc* CBrisolApp::CNDV(std::unique_ptr<CDADC> surface, const std::string& name) {
  if (!m_pMainFrame) {
    TheLogger().Log(kLogError, "CNDV:Could not find Brisol template");
    return nullptr;
  }
  auto* frame = new CChildFrame(*this);
  QPointer<CBrisolDoc> doc = frame->Document();
  doc->SetOriginalImage(std::move(surface), name);
  m_pMainFrame->AddDocumentFrame(frame);
  frame->show();
  frame->View()->OnInitialUpdate();
  m_pMainFrame->ShowOrigDlg(doc->GetOriginal());
  doc->DWGAC();
  m_pMainFrame->updateMenus();
  return doc;
}

void CBrisolApp::OnEditPaste() {
  // A clipboard that cannot be had is "empty"; one that holds nothing, or
  // no picture, does not contain an image.
  const QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) {
    AlertBox("The clipboard is empty");
    return;
  }
  const QMimeData* mime = clipboard->mimeData();
  const QImage image = mime && mime->hasImage() ? clipboard->image() : QImage();
  if (image.isNull()) {
    AlertBox("The clipboard does not contain an image");
    return;
  }
  const ByteBuffer dib = DibFromImage(image);
  if (!dib) {
    SysErrorBox("CBrisol::OnEditPaste()", "CloseClipboard, hNewDib = %d", 0);
    return;
  }
  CADV(dib, kClipboardName);
}

}  // namespace brisol
