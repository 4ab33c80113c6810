#include "app/RecipeDrop.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QWidget>

#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "imageio/PictureFormats.h"
#include "logger/Alerts.h"
#include "recipe/RecipeFile.h"
#include "vector/VectorFormats.h"

namespace brisol {
namespace {

bool IsRecipeFile(const QString& path) {
  return path.endsWith(QString::fromLatin1(kRecipeExtension.data(), kRecipeExtension.size()), Qt::CaseInsensitive);
}

// A vector file can only be a recipe here: the program does not open one as
// a picture.
bool IsVectorFile(const QString& path) { return VectorFormatOfName(path.toStdString()) != nullptr; }

}  // namespace

QStringList DroppedOnPicture(const QMimeData* mime) {
  QStringList paths;
  if (mime == nullptr || !mime->hasUrls()) return paths;
  for (const QUrl& url : mime->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    if (IsRecipeFile(path) || IsVectorFile(path) || PictureFormatOfName(path.toStdString()) != nullptr) paths << path;
  }
  return paths;
}

void TellRecipeApplied(const RecipeApplied& applied) {
  if (!applied) {
    WalertBox(kIconExclamation, "%s", applied.message().c_str());
    return;
  }
  if (applied->empty()) return;
  std::string lines;
  for (const std::string& line : *applied) lines += (lines.empty() ? "" : "\n") + line;
  WalertBox(kIconInformation, "The recipe was applied, and the picture made; but:\n%s", lines.c_str());
}

void DropOnPicture(CBrisolDoc& doc, const QStringList& paths) {
  for (const QString& path : paths) {
    const QString step = QObject::tr("recipe %1").arg(QFileInfo(path).fileName());
    // A picture without a recipe (another program's, or a photo) is opened.
    if (IsRecipeFile(path) || IsVectorFile(path) || ReadRecipeFile(path.toStdString()).ok())
      TellRecipeApplied(doc.ApplyRecipeFile(path.toStdString(), false, step));
    else
      doc.App().OpenImage(path);
  }
}

CRecipeDrop::CRecipeDrop(CBrisolDoc* doc, QWidget* target) : QObject(target), m_pDoc(doc) {
  target->setAcceptDrops(true);
  target->installEventFilter(this);
}

bool CRecipeDrop::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (DroppedOnPicture(drag->mimeData()).isEmpty()) return false;
      drag->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QStringList paths = DroppedOnPicture(drop->mimeData());
      if (paths.isEmpty()) return false;
      drop->acceptProposedAction();
      // Applied once the drop has finished: applying may ask and tell.
      const QPointer<CBrisolDoc> doc(m_pDoc);
      QMetaObject::invokeMethod(
          this,
          [doc, paths] {
            if (doc) DropOnPicture(*doc, paths);
          },
          Qt::QueuedConnection);
      return true;
    }
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace brisol
