// The view's copy and save commands.
#include <QApplication>
#include <QFileInfo>

#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/Clipboard.h"
#include "app/SaveImage.h"
#include "app/ScrollView.h"
#include "imageio/ImageSave.h"
#include "imageio/PictureFormats.h"
#include "logger/Logger.h"
#include "raster/Dadc.h"
#include "recipe/RecipeFile.h"
#include "ui/WaitCursor.h"

namespace brisol {

void CBrisolScrollView::OnEditCopy() {
  if (GetCurrentDADC() == nullptr) return;
  // What is copied is the exact, newest picture, never a preview.
  m_pDoc->WhenPictureReady([this] {
    const WaitCursor wait;
    CopyImageToClipboard(CurrentImage());
  });
}

SaveOptions CBrisolScrollView::PictureSaveOptions(const QString& path) const {
  SaveOptions options;
  // The output picture keeps the recipe it was made from (PNG and JPEG can),
  // the photo shown as it is keeps none.
  const std::optional<Recipe> recipe = m_iShow == 1 ? m_pDoc->ShownRecipe() : std::nullopt;
  if (!recipe) return options;
  if (m_pDoc->RecipeJpegQuality()) options.jpegQuality = *m_pDoc->RecipeJpegQuality();
  PutPictureRecipe(options, *recipe, path.toStdString());
  return options;
}

void CBrisolScrollView::SaveImage(std::function<void(Done)> saved) {
  auto badPicture = [] {
    TheLogger().Log(kLogError, "SaveImage: Bad Draw Pointer");
    return Fail("There is no picture to save.");
  };
  const CDADC* surface = GetCurrentDADC();
  if (surface == nullptr || !surface->IsValid()) return saved(badPicture());
  CAppSettings& settings = m_pDoc->App().Settings();
  int type = settings.m_iImageWriteType;
  const QString path = GetSaveImageName(window(), QString::fromStdString(settings.m_szImageWriteDir),
                                        QString::fromStdString(m_pDoc->ImageName()), type);
  if (path.isEmpty()) return saved(StoppedBy());
  // What is written is the newest picture, not one about to be replaced.
  m_pDoc->WhenPictureReady([this, path, type, saved = std::move(saved), badPicture] {
    const CDADC* surface = GetCurrentDADC();
    if (surface == nullptr || !surface->IsValid()) return saved(badPicture());
    if (Done written = WritePicture(*surface, path, PictureSaveOptions(path)); !written)
      return saved(std::move(written));
    CAppSettings& settings = m_pDoc->App().Settings();
    settings.m_szImageWriteDir = QFileInfo(path).absolutePath().toStdString();
    const auto formats = PictureFormats();
    if (const PictureFormat* format = PictureFormatOfName(path.toStdString())) {
      settings.m_iImageWriteType = static_cast<int>(format - formats.data());
    } else {
      settings.m_iImageWriteType = type;
    }
    saved({});
  });
}

}  // namespace brisol
