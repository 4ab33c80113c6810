#include "dxf/DxfInsert.h"

#include <algorithm>
#include <limits>

#include "dxf/DxfBlock.h"
#include "dxf/DxfWriter.h"
#include "logger/Trace.h"

namespace brisol {
namespace {

constexpr double kBig = std::numeric_limits<double>::max();

// The state of one extents question that follows nested blocks.
struct NestingState {
  int depth = 0;
  long boxes = 0;
  bool reported = false;
};
thread_local NestingState t_nesting;

class NestingLevel {
 public:
  NestingLevel() {
    if (t_nesting.depth == 0) t_nesting = NestingState{};
    ++t_nesting.depth;
  }
  ~NestingLevel() { --t_nesting.depth; }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;
};

bool WithinBudget() {
  if (t_nesting.depth > CDxfInsert::kMaxNesting) {
    if (!t_nesting.reported) TraceMsg("CDxfInsert::GetExtents, blocks nested deeper than %d", CDxfInsert::kMaxNesting);
    t_nesting.reported = true;
    return false;
  }
  if (++t_nesting.boxes > CDxfInsert::kMaxNestedBoxes) {
    if (!t_nesting.reported)
      TraceMsg("CDxfInsert::GetExtents, more than %ld entities in nested blocks", CDxfInsert::kMaxNestedBoxes);
    t_nesting.reported = true;
    return false;
  }
  return true;
}

// The box of all the block's entities (visible or not) less its base point;
// the zero box when no entity has one.
void BlockBox(const CDxfBlock& block, CVec& min, CVec& max) {
  const CEntList& list = block.GetEntList();
  min.SetXYZ(kBig, kBig, kBig);
  max.SetXYZ(-kBig, -kBig, -kBig);
  bool any = false;
  for (int i = 0; i < list.GetCount(); ++i) {
    if (!WithinBudget()) break;
    CVec emin(kBig, kBig, kBig), emax(-kBig, -kBig, -kBig);
    list.GetEntity(i)->GetExtents(emin, emax);
    if (!(emin.x <= emax.x)) continue;  // nothing to contribute
    any = true;
    min.SetXYZ(std::min(min.x, emin.x), std::min(min.y, emin.y), std::min(min.z, emin.z));
    max.SetXYZ(std::max(max.x, emax.x), std::max(max.y, emax.y), std::max(max.z, emax.z));
  }
  if (!any) {
    min.SetXYZ(0, 0, 0);
    max.SetXYZ(0, 0, 0);
  }
  const CVec& base = block.GetBasePoint();
  min.SetXYZ(min.x - base.x, min.y - base.y, min.z - base.z);
  max.SetXYZ(max.x - base.x, max.y - base.y, max.z - base.z);
}

}  // namespace

void CDxfInsert::WriteDxf(std::FILE* file, const DxfFileTransform& dxfFile) const {
  if (m_pBlock == nullptr) return;
  WriteTextGroup(file, 0, "INSERT");
  WriteTextGroup(file, 2, m_pBlock->GetName().c_str());
  WriteEntityHead(file, *this);
  WritePointGroup(file, 10, dxfFile.Map(m_vInsertion));
  WriteRealGroup(file, 41, dxfFile.Scale(m_vScale.x));
  WriteRealGroup(file, 42, dxfFile.Scale(m_vScale.y));
  WriteRealGroup(file, 50, m_dRotation);
}

std::unique_ptr<CDxfEntity> CDxfInsert::Clone() const { return std::make_unique<CDxfInsert>(*this); }

int CDxfInsert::GetType() const { return kDxfInsert; }

void CDxfInsert::ApplyFileTransform(const DxfFileTransform& dxfFile) {
  m_vInsertion = dxfFile.Map(m_vInsertion);
  m_vScale.x = dxfFile.Scale(m_vScale.x);
  m_vScale.y = dxfFile.Scale(m_vScale.y);
}

// The block's box at its four corners through the insert's placement.
void CDxfInsert::GetExtents(CVec& min, CVec& max) const {
  if (m_pBlock == nullptr) return;
  NestingLevel level;
  CVec bmin, bmax;
  BlockBox(*m_pBlock, bmin, bmax);
  CMatrix placement;
  placement.MakeTransform(m_vScale, DegreesToRadians(m_dRotation), m_vInsertion);
  const CVec corners[4] = {bmin, CVec(bmax.x, bmin.y, 0), bmax, CVec(bmin.x, bmax.y, 0)};
  min.SetXYZ(kBig, kBig, kBig);
  max.SetXYZ(-kBig, -kBig, -kBig);
  for (const CVec& corner : corners) {
    const CVec p = placement.Apply3D(corner);
    min.SetXYZ(std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z));
    max.SetXYZ(std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z));
  }
}

}  // namespace brisol
