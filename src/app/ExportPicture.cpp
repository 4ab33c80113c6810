#include "app/ExportPicture.h"

#include <QDir>
#include <QFileInfo>

#include "app/AppSettings.h"
#include "app/BrisolDoc.h"
#include "app/ScrollView.h"
#include "raster/Dadc.h"
#include "recipe/Recipe.h"
#include "ui/ExportDlg.h"

namespace brisol {
namespace {

ExportChoices ChoicesOf(const CAppSettings& settings) {
  ExportChoices choices;
  choices.page = QString::fromStdString(settings.m_szExportPage);
  choices.landscape = settings.m_bExportLandscape;
  choices.margin = QString::fromStdString(settings.m_szExportMargin);
  choices.dpi = settings.m_iExportDpi;
  return choices;
}

void KeepChoices(const ExportChoices& choices, CAppSettings& settings) {
  settings.m_szExportPage = choices.page.toStdString();
  settings.m_bExportLandscape = choices.landscape;
  settings.m_szExportMargin = choices.margin.toStdString();
  settings.m_iExportDpi = choices.dpi;
  settings.m_szExportDir = QFileInfo(choices.path).absolutePath().toStdString();
  settings.m_szExportExtension = QFileInfo(choices.path).suffix().toStdString();
}

// The file proposed: the photo's name with the extension of the last
// export, in the folder of the last export (the photo's before the first).
QString ProposedPath(const CBrisolDoc& doc, const CAppSettings& settings) {
  const bool pasted = doc.ImageName() == kClipboardName;
  QString stem = QFileInfo(doc.Title()).completeBaseName();
  if (stem.isEmpty() || pasted) stem = QStringLiteral("picture");
  QString folder = QString::fromStdString(settings.m_szExportDir);
  if (folder.isEmpty())
    folder = pasted ? QDir::homePath() : QFileInfo(QString::fromStdString(doc.ImageName())).absolutePath();
  const QString extension = settings.m_szExportExtension.empty() ? QStringLiteral("pdf")
                                                                 : QString::fromStdString(settings.m_szExportExtension);
  return folder + '/' + stem + '.' + extension;
}

}  // namespace

bool CanExport(CBrisolDoc* doc) {
  if (doc == nullptr || doc->GetOriginal() == nullptr || doc->GetRunner() == nullptr) return false;
  const CBrisolScrollView* view = doc->GV();
  return view != nullptr && view->ShownEffect() != nullptr;
}

QString ExportPicture(QWidget* parent, CBrisolDoc& doc, CAppSettings& settings) {
  if (!CanExport(&doc)) return {};
  const std::optional<Recipe> recipe = doc.ShownRecipe();
  if (!recipe) return {};
  ExportSource source;
  source.effect = doc.GV()->ShownEffect();
  source.photo = doc.SharedOriginal();
  source.quality = recipe->quality.value_or(doc.Quality());
  source.metadata = RecipeText(*recipe);
  // A JPEG photo goes into the file as its own bytes when the picture was
  // drawn from the file's pixels (not from a pasted or shrunk photo).
  const SIZE size = source.photo->GetSize();
  const QSize read = doc.ReadSize();
  const bool shrunk = read.isValid() && (read.width() != size.cx || read.height() != size.cy);
  if (doc.ImageName() != kClipboardName && !shrunk) source.photoPath = doc.ImageName();

  ExportChoices choices = ChoicesOf(settings);
  choices.path = ProposedPath(doc, settings);
  CExportDlg dialog(parent, std::move(source), choices);
  dialog.exec();
  if (dialog.StartedChoices()) KeepChoices(*dialog.StartedChoices(), settings);
  const auto& result = dialog.LastResult();
  if (!result || !result->ok()) return {};
  QString text = QObject::tr("Exported %1").arg(dialog.StartedChoices()->path);
  if (result->value().rasterFallbacks > 0) {
    text += QObject::tr("; %1 objects have texts in a font without outlines and are written as pixels")
                .arg(result->value().rasterFallbacks);
  }
  return text;
}

}  // namespace brisol
