#include "ui/FileFilters.h"

#include <QObject>
#include <vector>

#include "imageio/PictureFormats.h"
#include "recipe/RecipeFile.h"
#include "vector/VectorFormats.h"

namespace brisol {
namespace {

QString Patterns(std::span<const std::string_view> extensions) {
  QStringList patterns;
  for (std::string_view extension : extensions) patterns << "*." + Latin1(extension);
  for (std::string_view extension : extensions) patterns << "*." + Latin1(extension).toUpper();
  return patterns.join(' ');
}

// "*.[jJ][pP][gG]": the extension in any letter case.
QString AnyCasePattern(std::string_view extension) {
  QString pattern = QStringLiteral("*.");
  for (const char c : extension) {
    const QChar ch = QLatin1Char(c);
    if (ch.isLetter())
      pattern += QLatin1Char('[') + ch.toLower() + ch.toUpper() + QLatin1Char(']');
    else
      pattern += ch;
  }
  return pattern;
}

}  // namespace

QString Latin1(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

QString FileFilter(const QString& label, std::span<const std::string_view> extensions) {
  return label + " (" + Patterns(extensions) + ")";
}

QStringList PictureFormatFilters() {
  QStringList filters;
  for (const PictureFormat& format : PictureFormats())
    filters << FileFilter(Latin1(format.filterLabel), format.extensions);
  return filters;
}

QString AllPicturesFilter() {
  std::vector<std::string_view> extensions;
  for (const PictureFormat& format : PictureFormats())
    extensions.insert(extensions.end(), format.extensions.begin(), format.extensions.end());
  return FileFilter(QObject::tr("Pictures"), extensions);
}

QStringList VectorFormatFilters() {
  QStringList filters;
  for (const VectorFormat& format : VectorFormats())
    filters << FileFilter(Latin1(format.name), std::span(&format.extension, 1));
  return filters;
}

QString RecipeSourcesFilters() {
  std::vector<std::string_view> pictures, vectors;
  for (const PictureFormat& format : PictureFormats())
    if (PictureFormatHoldsRecipe(format))
      pictures.insert(pictures.end(), format.extensions.begin(), format.extensions.end());
  for (const VectorFormat& format : VectorFormats()) vectors.push_back(format.extension);
  return QObject::tr("Recipes and pictures Brisol made (*%1 %2 %3);;All files (*)")
      .arg(Latin1(kRecipeExtension), Patterns(pictures), Patterns(vectors));
}

QString RecipeFilesFilter() { return QObject::tr("Recipes (*%1)").arg(Latin1(kRecipeExtension)); }

QStringList OpenImageFilters() {
  QStringList filters;
  for (const PictureFormat& format : PictureFormats()) {
    const std::string_view extension = format.extensions.front();
    filters << Latin1(format.filterLabel).leftJustified(8) + " (*." + Latin1(extension).toUpper() + ")";
  }
  filters << QStringLiteral("All Files(*.*)");
  return filters;
}

QStringList OpenImagePatterns(int filterIndex) {
  QStringList patterns;
  const auto formats = PictureFormats();
  for (int i = 0; i < static_cast<int>(formats.size()); ++i) {
    if (filterIndex != i && filterIndex != static_cast<int>(formats.size())) continue;
    for (std::string_view extension : formats[static_cast<std::size_t>(i)].extensions)
      patterns << AnyCasePattern(extension);
  }
  return patterns;
}

}  // namespace brisol
