// Files dropped on a picture's window: a recipe (a .brisol file, or a
// picture Brisol made, which holds one) is applied to that picture as one
// step; any other picture opens in a window of its own, as a picture
// dropped anywhere else does.
#pragma once

#include <QObject>
#include <QStringList>

#include "recipe/RecipeEffect.h"

class QMimeData;
class QWidget;

namespace brisol {

class CBrisolDoc;

// The local files among dropped ones that a picture's window takes: recipe
// files and pictures.
QStringList DroppedOnPicture(const QMimeData* mime);

// Tells what applying a recipe came to: why it failed in a box with the
// warning sign, or what differs and was passed over in one with the
// information sign; nothing for a recipe applied as it is.
void TellRecipeApplied(const RecipeApplied& applied);

// Applies the recipes among the files to the document, in order, and opens
// the other pictures.
void DropOnPicture(CBrisolDoc& doc, const QStringList& paths);

// Takes the drops on a picture's view (installed on its viewport).
class CRecipeDrop : public QObject {
  Q_OBJECT
 public:
  CRecipeDrop(CBrisolDoc* doc, QWidget* target);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CBrisolDoc* m_pDoc;
};

}  // namespace brisol
