// The enumerations of the effect with their description tables. The texts
// are also what the settings panels show, and the only way a panel turns a
// selection back into a value; lookups ignore letter case.
#pragma once

namespace brisol {

// How size, angle or number of objects follow the image.
enum EReaction : int { eReactImage = 0, eReactOpposite = 1, eReactRandom = 2 };
constexpr int ikNumReactions = 3;

// Where fill and outline colours come from.
enum EColSrc : int { eColSrcImage = 0, eColSrcSingle = 1, eColSrcRandom = 2 };
constexpr int ikNumColSrcs = 3;

enum EBkgType : int { eBkgSolid = 0, eBkgOriginal = 1 };
constexpr int ikNumBkgTypes = 2;

// How the finished picture is mixed with the original.
enum EImageMixGeom : int {
  eMixOff = 0,
  eMixEven,
  eMixLeftRight,
  eMixRightLeft,
  eMixTopBottom,
  eMixBottomTop,
  eMixCircInOut,
  eMixCircVignette,
  eMixEllipInOut,
  eMixEllipVignette,
  eMixRectInOut,
  eMixRectFrame,
};
constexpr int ikNumMixGeoms = 12;

// Value to text: an unknown value is logged and gives the table's first text.
const char* GetReactionDesc(int value);
const char* GetColSrcDesc(int value);
const char* GetBkgTypeDesc(int value);
const char* GetMixGeomDesc(int value);

// Text to value: an unknown text is logged and gives 0.
int GetReactionFromDesc(const char* text);
int GetColSrcFromDesc(const char* text);
int GetBkgFromDesc(const char* text);
int GetMixGeomFromDesc(const char* text);

// The tables themselves, for lists and combo boxes.
const char* const* ReactionDescs();
const char* const* ColSrcDescs();
const char* const* BkgTypeDescs();
const char* const* MixGeomDescs();

}  // namespace brisol
