#include "effect/Enums.h"

#include <strings.h>

#include "logger/Logger.h"

namespace brisol {
namespace {

constexpr const char* kReactions[ikNumReactions] = {"depends on image", "depends on opposite of image", "is random"};
constexpr const char* kColSrcs[ikNumColSrcs] = {"Colors from original image", "A single color", "Random colors"};
constexpr const char* kBkgTypes[ikNumBkgTypes] = {"Single Solid Color", "Original Image"};
constexpr const char* kMixGeoms[ikNumMixGeoms] = {
    "Off (No Mix)",       "Even",
    "Left-Right",         "Right-Left",
    "Top-Bottom",         "Bottom-Top",
    "Circular In-Out",    "Circular Vignette",
    "Elliptical In-Out",  "Elliptical Vignette",
    "Rectangular In-Out", "Rectangular Frame",
};

int FindDesc(const char* const* table, int count, const char* text) {
  if (text == nullptr) return -1;
  for (int i = 0; i < count; ++i)
    if (strcasecmp(table[i], text) == 0) return i;
  return -1;
}

}  // namespace

const char* GetReactionDesc(int value) {
  if (value >= 0 && value < ikNumReactions) return kReactions[value];
  TheLogger().Log(kLogError, "Error: GetReactionDesc(%d), ikNumReactions=%d", value, ikNumReactions);
  return kReactions[0];
}

const char* GetColSrcDesc(int value) {
  if (value >= 0 && value < ikNumColSrcs) return kColSrcs[value];
  TheLogger().Log(kLogError, "Error: GetColSrcDesc(%d), ikNumColSrcs=%d", value, ikNumColSrcs);
  return kColSrcs[0];
}

const char* GetBkgTypeDesc(int value) {
  if (value >= 0 && value < ikNumBkgTypes) return kBkgTypes[value];
  TheLogger().Log(kLogError, "Error: GetBkgTypeDesc(%d), ikNumBkgTypes=%d", value, ikNumBkgTypes);
  return kBkgTypes[0];
}

const char* GetMixGeomDesc(int value) {
  if (value >= 0 && value < ikNumMixGeoms) return kMixGeoms[value];
  TheLogger().Log(kLogError, "GetMixGeomDesc could not match type%d\n", value);
  return kMixGeoms[0];
}

int GetReactionFromDesc(const char* text) {
  const int value = FindDesc(kReactions, ikNumReactions, text);
  if (value >= 0) return value;
  TheLogger().Log(kLogError, "Error: GetReactionFromDesc(%s)", text ? text : "");
  return 0;
}

int GetColSrcFromDesc(const char* text) {
  const int value = FindDesc(kColSrcs, ikNumColSrcs, text);
  if (value >= 0) return value;
  TheLogger().Log(kLogError, "Error: GetColSrcFromDesc(%s)", text ? text : "");
  return 0;
}

int GetBkgFromDesc(const char* text) {
  const int value = FindDesc(kBkgTypes, ikNumBkgTypes, text);
  if (value >= 0) return value;
  TheLogger().Log(kLogError, "Error: GetBkgFromDesc(%s)", text ? text : "");
  return 0;
}

int GetMixGeomFromDesc(const char* text) {
  const int value = FindDesc(kMixGeoms, ikNumMixGeoms, text);
  if (value >= 0) return value;
  TheLogger().Log(kLogError, "GetMixGeomFromDesc(%s) could not match\n", text ? text : "");
  return 0;
}

const char* const* ReactionDescs() { return kReactions; }
const char* const* ColSrcDescs() { return kColSrcs; }
const char* const* BkgTypeDescs() { return kBkgTypes; }
const char* const* MixGeomDescs() { return kMixGeoms; }

}  // namespace brisol
