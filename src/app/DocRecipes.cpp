// The document's recipes: the recipe of the picture as set and as shown,
// and a recipe or preset read from a file applied as one step.
#include <QFileInfo>
#include <algorithm>

#include "app/BrisolApp.h"
#include "app/BrisolDoc.h"
#include "app/ScrollView.h"
#include "effect/Effect.h"
#include "effect/Runner.h"
#include "logger/Alerts.h"
#include "raster/Dadc.h"
#include "recipe/Presets.h"
#include "recipe/RecipeEffect.h"
#include "recipe/RecipeFile.h"

namespace brisol {
namespace {

// At most one drawing runs and one waits; a few more are kept for pictures
// still on their way back.
constexpr std::size_t kAskedKept = 4;

}  // namespace

void CBrisolDoc::NoteAskedQuality(const std::shared_ptr<const CEffect>& snapshot) {
  m_askedQualities.emplace_back(snapshot, m_iQuality);
  if (m_askedQualities.size() > kAskedKept) m_askedQualities.erase(m_askedQualities.begin());
}

void CBrisolDoc::NoteShownQuality(const std::shared_ptr<const CEffect>& shown) {
  const auto asked = std::find_if(m_askedQualities.begin(), m_askedQualities.end(),
                                  [&](const auto& entry) { return entry.first == shown; });
  m_iShownQuality = asked != m_askedQualities.end() ? asked->second : m_iQuality;
}

Recipe CBrisolDoc::CurrentRecipe() const {
  if (!m_pBrisol) return Recipe{};
  Recipe recipe = RecipeOf(m_pBrisol->GetEffect(), m_iQuality);
  if (m_szImageName.empty() || m_szImageName == kClipboardName) return recipe;
  const SIZE size = m_pOrigDADC ? m_pOrigDADC->GetSize() : SIZE{0, 0};
  const bool shrunk = m_readSize.isValid() && (m_readSize.width() != size.cx || m_readSize.height() != size.cy);
  if (shrunk) {
    // Made from the photo shrunk, not from its file: the file's hash would
    // promise a picture the file does not give.
    recipe.photo = QFileInfo(QString::fromStdString(m_szImageName)).fileName().toStdString();
  } else {
    SetRecipePhoto(recipe, m_szImageName);
  }
  return recipe;
}

std::optional<Recipe> CBrisolDoc::ShownRecipe() const {
  const CBrisolScrollView* view = m_pView;
  if (!m_pBrisol || view == nullptr || !view->ShownEffect()) return std::nullopt;
  Recipe recipe = CurrentRecipe();
  // The values of the picture on view, which a stopped drawing may have
  // left behind the panels'.
  const Recipe shown = RecipeOf(*view->ShownEffect(), m_iShownQuality);
  recipe.collection = shown.collection;
  recipe.collectionSha256 = shown.collectionSha256;
  recipe.values = shown.values;
  recipe.seed = shown.seed;
  recipe.quality = shown.quality;
  return recipe;
}

RecipeApplied CBrisolDoc::ApplyRecipeFile(const std::string& path, bool asPreset, const QString& stepText) {
  const RecipeRead read = asPreset ? ReadPresetFile(path) : ReadRecipeFile(path);
  if (!read.ok()) return Fail("The recipe could not be read.\n" + read.ErrorText());
  if (!asPreset) m_recipeJpegQuality = read.recipe->jpegQuality;
  return ApplyRecipe(*read.recipe, stepText, read.warnings);
}

RecipeApplied CBrisolDoc::ApplyRecipe(const Recipe& recipe, const QString& stepText, const RecipeNotices& warnings) {
  if (!m_pOrigDADC) return Fail(Status::Invalid, "There is no picture to apply the recipe to.");
  ApplyOptions options;
  if (m_szImageName != kClipboardName) options.photoPath = m_szImageName;
  options.mainDirectory = m_app.MainDirectoryPath();
  // Prepared on the side: a recipe that cannot be applied changes nothing.
  std::unique_ptr<CEffect> prepared = m_pBrisol ? m_pBrisol->GetEffect().Snapshot() : std::make_unique<CEffect>();
  int quality = m_iQuality;
  const RecipeApplied applied = ::brisol::ApplyRecipe(recipe, *prepared, &quality, options);
  if (applied.ok() && prepared->GetNumShapes() == 0) {
    return Fail(Status::Invalid, "The recipe names no collection of shapes, and " + m_title.toStdString() +
                                     " has none yet: choose one with Dialogs > Choose Objects... first.");
  }
  if (!applied) return Fail(applied.status(), "The recipe was not applied: " + applied.message() + ".");
  if (m_pBrisol) {
    ApplyAsStep(*prepared, quality, stepText);
  } else {
    // A picture without a collection gets the recipe's as its first effect.
    m_iQuality = quality;
    InstallRunner(std::make_unique<CBrisol>(m_pOrigDADC, prepared.get()));
    UpdateImage(false);
  }
  RecipeNotices told = warnings;
  told.insert(told.end(), applied->begin(), applied->end());
  return told;
}

}  // namespace brisol
