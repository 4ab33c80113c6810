#include "ui/OpenImagePreview.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <cctype>

#include "imageio/ImageLoad.h"
#include "imageio/Imaging.h"
#include "imageio/LoadPicture.h"
#include "imageio/PictureFormats.h"
#include "raster/Dadc.h"
#include "raster/FileUtil.h"
#include "ui/DadcImage.h"
#include "ui/FitPicture.h"
#include "ui/NumberText.h"
#include "ui/OpenImageDialog.h"

namespace brisol {
namespace {

// The depth in bits per pixel the file itself states; 0 when unknown.
int FileDepth(const std::string& path, int imageType) {
  ImageInfo info;
  int rc = -1;
  switch (imageType) {
    case kImageTypeBmp:
      rc = bmpinfo(path.c_str(), info).code;
      break;
    case kImageTypeJpg:
      rc = jpeginfo(path.c_str(), info).code;
      break;
    case kImageTypeTga:
      rc = tgainfo(path.c_str(), info).code;
      break;
    case kImageTypePcx:
      rc = pcxinfo(path.c_str(), info).code;
      break;
    case kImageTypePng:
      rc = pnginfo(path.c_str(), info).code;
      break;
    default:
      break;
  }
  return rc == kImgOk ? info.depth : 0;
}

struct LoadedPreview {
  QImage picture;
  int depth = 0;
  std::string why;  // the loader's sentence when the file could not be read
};

// The picture of a path the dialog previews, read as every opening reads
// it; a null picture for a directory or a name of another type (nothing to
// say), and for a file that cannot be read (with the loader's sentence).
LoadedPreview LoadPreview(const QString& path) {
  const std::string name = path.toStdString();
  const PictureFormat* format = PictureFormatOfName(name);
  if (path.isEmpty() || format == nullptr || IsDirectory(name) || !FileExists(name)) return {};
  LoadResult loaded = LoadPicture(name);
  if (!loaded.ok()) return {QImage(), 0, loaded.message()};
  LoadedPreview preview{ToQImage(**loaded), FileDepth(name, format->imageType), {}};
  // What the shown picture holds when the file does not say.
  if (preview.depth == 0) preview.depth = 24;
  return preview;
}

}  // namespace

CPreviewFrame::CPreviewFrame(QWidget* parent, int id) : QFrame(parent) {
  setObjectName(QStringLiteral("btn%1").arg(id));
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
}

void CPreviewFrame::SetPicture(const QImage& picture) {
  m_picture = picture;
  m_scaled = QImage();
  update();
}

QRect CPreviewFrame::PictureRect() const {
  if (m_picture.isNull()) return {};
  return FitPicture(m_picture.size(), QRect(QPoint(0, 0), size()));
}

void CPreviewFrame::resizeEvent(QResizeEvent* event) {
  m_scaled = QImage();
  QFrame::resizeEvent(event);
}

void CPreviewFrame::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    if (!m_picture.isNull()) {
      const QRect target = PictureRect();
      if (m_scaled.size() != target.size())
        m_scaled = m_picture.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
      painter.drawImage(target.topLeft(), m_scaled);
    }
  }
  QFrame::paintEvent(event);
}

COpenImagePreview::COpenImagePreview(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("openImagePreview"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 0, 0, 0);
  layout->addWidget(new QLabel(QStringLiteral("Preview"), this));
  m_pFrame = new CPreviewFrame(this, 5001);
  m_pFrame->setFixedSize(kFrameWidth, kFrameHeight);
  layout->addWidget(m_pFrame);
  for (int i = 0; i < 4; ++i) {
    m_apInfo[i] = new QLabel(this);
    m_apInfo[i]->setObjectName(QStringLiteral("txt%1").arg(5002 + i));
    m_apInfo[i]->setWordWrap(true);
    m_apInfo[i]->setMaximumWidth(kFrameWidth);
    layout->addWidget(m_apInfo[i]);
  }
  m_pShow = new QCheckBox(QStringLiteral("Show Preview"), this);
  m_pShow->setObjectName(QStringLiteral("chk5006"));
  layout->addWidget(m_pShow);
  layout->addStretch(1);
  connect(m_pShow, &QCheckBox::clicked, this, &COpenImagePreview::OnShowPreviewClicked);
  Start();
}

void COpenImagePreview::Start() {
  m_pFrame->SetPicture({});
  m_pShow->setChecked(OpenDialogShowsPreview());
}

void COpenImagePreview::Clear() {
  m_pFrame->SetPicture({});
  for (QLabel* info : m_apInfo) info->clear();
}

void COpenImagePreview::OnSelChange(const QString& path) {
  m_current = path;
  if (!m_pShow->isChecked()) {
    m_pFrame->SetPicture({});
    return;
  }
  const LoadedPreview loaded = LoadPreview(path);
  m_pFrame->SetPicture(loaded.picture);
  if (loaded.picture.isNull()) {
    for (QLabel* info : m_apInfo) info->clear();
    // Why a picture file shows nothing, in the loader's words.
    if (!loaded.why.empty()) {
      std::string why = loaded.why;
      why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
      m_apInfo[0]->setText(QString::fromStdString(why));
    }
    return;
  }
  m_apInfo[0]->setText(FormatC("Width: %d pixels", loaded.picture.width()));
  m_apInfo[1]->setText(FormatC("Height: %d pixels", loaded.picture.height()));
  m_apInfo[2]->setText(ColorsText(loaded.depth));
  m_apInfo[3]->setText(FormatC("Size: %ld Kb", static_cast<long>(FileSize(path.toStdString()) / 1024)));
}

void COpenImagePreview::OnShowPreviewClicked(bool checked) {
  SetOpenDialogShowsPreview(checked);
  if (checked)
    OnSelChange(m_current);
  else
    Clear();
}

void COpenImagePreview::Finish() { m_pFrame->SetPicture({}); }

QString COpenImagePreview::InfoText(int line) const {
  return line >= 0 && line < 4 ? m_apInfo[line]->text() : QString();
}

QString COpenImagePreview::ColorsText(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1:
      return QStringLiteral("Colors: 2 (monocromatic)");
    case 4:
      return QStringLiteral("Colors: 16");
    case 8:
      return QStringLiteral("Colors: 256");
    case 16:
      return QStringLiteral("Colors: 65,536");
    case 24:
      return QStringLiteral("Colors: 16 millions");
    default:
      return {};
  }
}

}  // namespace brisol
