#include "ui/OpenImageDialog.h"

namespace brisol {
namespace {
bool g_showPreview = true;
}

QString GetOpenImageName(QWidget* parent, const QString& title, const QString& directory, int& filterIndex) {
  return {};
}
QStringList OpenImageFilters() { return {}; }
bool OpenDialogShowsPreview() { return g_showPreview; }
void SetOpenDialogShowsPreview(bool show) { g_showPreview = show; }
QRect FitPreview(QSize picture, QRect frame) { return frame; }

}  // namespace brisol
