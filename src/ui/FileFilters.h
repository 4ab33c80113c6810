// The file dialogs' filters, made from the format tables (picture formats,
// vector formats) by one builder: a label and the patterns of its
// extensions, each in both letter cases, as "Jpeg (*.jpg *.jpeg *.JPG *.JPEG)".
#pragma once

#include <QString>
#include <QStringList>
#include <span>
#include <string_view>

namespace brisol {

// A table's text (names, extensions: plain ASCII) as a QString.
QString Latin1(std::string_view text);

// "label (*.a *.b *.A *.B)": the extensions in lower, then in upper case.
QString FileFilter(const QString& label, std::span<const std::string_view> extensions);

// One filter a picture format, in the table's order (whose index the
// settings keep).
QStringList PictureFormatFilters();
// Every picture format in one filter, "Pictures (...)".
QString AllPicturesFilter();
// One filter a vector format, in the table's order.
QStringList VectorFormatFilters();
// The files a recipe is read from: recipe files, the pictures that hold
// one, and vector files; then every file.
QString RecipeSourcesFilters();
// The recipe files Save Recipe writes.
QString RecipeFilesFilter();

// The open-image dialog's filters, in its filterIndex order: a label and
// the format's first extension in capitals, "Jpeg     (*.JPG)", one a
// format, then "All Files(*.*)".
QStringList OpenImageFilters();
// The patterns a filter of the open-image dialog lets through: one format's
// extensions, or every format's for the last, in any letter case.
QStringList OpenImagePatterns(int filterIndex);

}  // namespace brisol
