// CDxfFile: the entity readers, and the table that dispatches entity names to
// them.
#include <cmath>
#include <utility>

#include "dxf/DxfEntities.h"
#include "dxf/DxfFile.h"
#include "dxf/DxfRetention.h"
#include "dxf/DxfStrings.h"
#include "logger/Trace.h"

namespace brisol {

const CDxfFile::EntityReaderEntry CDxfFile::kEntityReaders[] = {
    {"INSERT", &CDxfFile::ReadInsertEntity, true},
    {"POLYLINE", &CDxfFile::ReadPolylineEntity, true},
    {"LWPOLYLINE", &CDxfFile::ReadLwPolylineEntity, true},
    {"LINE", &CDxfFile::ReadLineEntity, true},
    {"POINT", &CDxfFile::ReadPointEntity, true},
    {"ARC", &CDxfFile::ReadArcEntity, true},
    {"CIRCLE", &CDxfFile::ReadCircleEntity, true},
    {"ELLIPSE", &CDxfFile::ReadEllipseEntity, false},
    {"TEXT", &CDxfFile::ReadTextEntity, true},
};

CDxfFile::EntityReader CDxfFile::FindEntityReader(const std::string& name, bool inBlock) {
  for (const EntityReaderEntry& entry : kEntityReaders) {
    if (name == entry.name) return (inBlock && !entry.inBlocks) ? nullptr : entry.read;
  }
  return nullptr;
}

bool CDxfFile::NextEntityGroup() { return ReadGroup(-1) && GetGroupCode() != 0; }

bool CDxfFile::SkipEntity() {
  while (ReadGroup(-1)) {
    if (GetGroupCode() == 0) return true;
  }
  return false;
}

bool CDxfFile::SkipToSeqend() {
  while (ReadGroup(-1)) {
    if (GetGroupCode() == 0 && EqualNoCase(m_groups.Text(), "SEQEND")) return true;
  }
  TraceMsg("SEQEND not found in file %s at line %d.\n", GetFileName().c_str(), GetLineCount());
  return false;
}

bool CDxfFile::TakeCommonGroup(bool& paperSpace) {
  switch (GetGroupCode()) {
    case 8:
      SetCurrentLayer(m_groups.Text().c_str());
      return true;
    case 67:
      if (IsPaperSpace(m_groups.Int())) paperSpace = true;
      return true;
    default:
      return false;
  }
}

double CDxfFile::Number() {
  const double v = m_groups.Double();
  if (!IsDrawingNumber(v)) m_bBadNumber = true;
  return v;
}

bool CDxfFile::DropsBadNumber(const char* entityName) {
  if (!std::exchange(m_bBadNumber, false)) return false;
  TraceMsg("%s at line %d of <%s> dropped: a number is not finite or beyond %g", entityName, m_iEntityLine,
           GetFileName().c_str(), kMaxDrawingNumber);
  return true;
}

void CDxfFile::Retain(const CDxfEntity& entity, CDxfBlock* target, const char* layerName) {
  if (target != nullptr) {
    target->GetEntList().AddEntity(&entity, m_pCurrentLayer);
  } else {
    AddEntity(entity, layerName);
  }
}

bool CDxfFile::ReadLineEntity(CDxfBlock* target) {
  CVec start, end;
  bool paperSpace = false;
  while (NextEntityGroup()) {
    if (TakeCommonGroup(paperSpace)) continue;
    switch (GetGroupCode()) {
      case 10:
        start.x = Number();
        break;
      case 20:
        start.y = Number();
        break;
      case 30:
        start.z = Number();
        break;
      case 11:
        end.x = Number();
        break;
      case 21:
        end.y = Number();
        break;
      case 31:
        end.z = Number();
        break;
      default:
        break;
    }
  }
  if (!m_groups.LastReadOk()) return false;
  if (DropsBadNumber("LINE")) return true;
  if (!paperSpace) Retain(CDxfLine(start, end), target);
  return true;
}

bool CDxfFile::ReadPointEntity(CDxfBlock* target) {
  CVec position;
  bool paperSpace = false;
  while (NextEntityGroup()) {
    if (TakeCommonGroup(paperSpace)) continue;
    switch (GetGroupCode()) {
      case 10:
        position.x = Number();
        break;
      case 20:
        position.y = Number();
        break;
      case 30:
        position.z = Number();
        break;
      default:
        break;
    }
  }
  if (!m_groups.LastReadOk()) return false;
  if (DropsBadNumber("POINT")) return true;
  if (!paperSpace) Retain(CDxfPoint(position), target);
  return true;
}

bool CDxfFile::ReadCircleEntity(CDxfBlock* target) {
  CDxfCircle circle;
  CVec centre;
  CVec extrusion = kUnitZ;
  bool paperSpace = false;
  while (NextEntityGroup()) {
    if (TakeCommonGroup(paperSpace)) continue;
    switch (GetGroupCode()) {
      case 10:
        centre.x = Number();
        break;
      case 20:
        centre.y = Number();
        break;
      case 30:
        centre.z = Number();
        break;
      case 40:
        circle.SetRadius(std::fabs(Number()));
        break;
      case 210:
        extrusion.x = Number();
        break;
      case 220:
        extrusion.y = Number();
        break;
      case 230:
        extrusion.z = Number();
        break;
      default:
        break;
    }
  }
  if (!m_groups.LastReadOk()) return false;
  if (DropsBadNumber("CIRCLE")) return true;
  circle.SetCentre(centre);
  // Inside a block the extrusion does not matter.
  if (!paperSpace && (target != nullptr || ExtrusionKeepsCircleOrArc(extrusion))) Retain(circle, target);
  return true;
}

bool CDxfFile::ReadArcEntity(CDxfBlock* target) {
  CDxfArc arc;
  CVec centre;
  CVec extrusion = kUnitZ;
  bool paperSpace = false;
  while (NextEntityGroup()) {
    if (TakeCommonGroup(paperSpace)) continue;
    switch (GetGroupCode()) {
      case 10:
        centre.x = Number();
        break;
      case 20:
        centre.y = Number();
        break;
      case 30:
        centre.z = Number();
        break;
      case 40:
        arc.SetRadius(std::fabs(Number()));
        break;
      case 50:
        arc.SetStartAngle(Number());
        break;
      case 51:
        arc.SetEndAngle(Number());
        break;
      case 210:
        extrusion.x = Number();
        break;
      case 220:
        extrusion.y = Number();
        break;
      case 230:
        extrusion.z = Number();
        break;
      default:
        break;
    }
  }
  if (!m_groups.LastReadOk()) return false;
  if (DropsBadNumber("ARC")) return true;
  arc.SetCentre(centre);
  if (!paperSpace && ExtrusionKeepsCircleOrArc(extrusion)) Retain(arc, target);
  return true;
}

bool CDxfFile::ReadEllipseEntity(CDxfBlock* target) {
  CVec centre, majorEnd;
  CVec extrusion = kUnitZ;
  double ratio = 1.0;
  double startParameter = 0.0;
  double endParameter = kTwoPi;
  bool paperSpace = false;
  while (NextEntityGroup()) {
    if (TakeCommonGroup(paperSpace)) continue;
    switch (GetGroupCode()) {
      case 10:
        centre.x = Number();
        break;
      case 20:
        centre.y = Number();
        break;
      case 30:
        centre.z = Number();
        break;
      case 11:
        majorEnd.x = Number();
        break;
      case 21:
        majorEnd.y = Number();
        break;
      case 31:
        majorEnd.z = Number();
        break;
      case 40:
        ratio = Number();
        break;
      case 41:
        startParameter = Number();
        break;
      case 42:
        endParameter = Number();
        break;
      case 210:
        extrusion.x = Number();
        break;
      case 220:
        extrusion.y = Number();
        break;
      case 230:
        extrusion.z = Number();
        break;
      default:
        break;
    }
  }
  if (!m_groups.LastReadOk()) return false;
  if (DropsBadNumber("ELLIPSE")) return true;
  if (paperSpace || target != nullptr) return true;
  if (!ExtrusionKeepsEllipse(extrusion) || !EllipseIsFull(startParameter, endParameter)) return true;
  double halfX = 1.0, halfY = 1.0;
  EllipseHalfAxes(majorEnd, ratio, halfX, halfY);
  Retain(CDxfEllipse(centre, halfX, halfY), target);
  return true;
}

bool CDxfFile::ReadTextEntity(CDxfBlock* target) {
  CDxfText text;
  CVec insertion, alignment;
  int hJust = 0, vJust = 0;
  bool paperSpace = false;
  while (NextEntityGroup()) {
    if (TakeCommonGroup(paperSpace)) continue;
    switch (GetGroupCode()) {
      case 1:
        text.SetText(m_groups.Text().c_str());
        break;
      case 10:
        insertion.x = Number();
        break;
      case 20:
        insertion.y = Number();
        break;
      case 11:
        alignment.x = Number();
        break;
      case 21:
        alignment.y = Number();
        break;
      case 40:
        text.SetHeight(Number());
        break;
      case 41:
        text.SetWidthFactor(Number());
        break;
      case 50:
        text.SetRotation(Number());
        break;
      case 72:
        hJust = m_groups.Int();
        break;
      case 73:
        vJust = m_groups.Int();
        break;
      default:
        break;
    }
  }
  if (!m_groups.LastReadOk()) return false;
  if (DropsBadNumber("TEXT")) return true;
  text.SetInsertionPoint(insertion);
  text.SetAlignmentPoint(alignment);
  text.SetJustification(hJust, vJust);
  if (paperSpace || text.GetText().empty()) return true;
  if (target != nullptr) {
    Retain(text, target);
  } else {
    // At top level the text goes on the current layer by its name.
    const std::string layerName = m_pCurrentLayer != nullptr ? m_pCurrentLayer->GetName() : std::string();
    Retain(text, nullptr, m_pCurrentLayer != nullptr ? layerName.c_str() : nullptr);
  }
  return true;
}

bool CDxfFile::ReadLwPolylineEntity(CDxfBlock* target) {
  CDxfPolyline polyline;
  double x = 0.0;
  bool paperSpace = false;
  while (NextEntityGroup()) {
    if (TakeCommonGroup(paperSpace)) continue;
    switch (GetGroupCode()) {
      case 10:
        x = Number();
        break;
      case 20:
        polyline.AddVertex(CVec(x, Number(), 0.0));
        break;
      case 40:
        polyline.SetWidth(Number());
        break;
      case 70:
        if (m_groups.Int() & 1) polyline.SetClosed(true);
        break;
      default:
        break;
    }
  }
  // Kept even when the input ends inside the entity, and reported as read;
  // the section loops see the failed read and end.
  if (!DropsBadNumber("LWPOLYLINE") && !paperSpace) Retain(polyline, target);
  return true;
}

bool CDxfFile::ReadInsertEntity(CDxfBlock* target) {
  CDxfInsert insert;
  CVec point;
  CVec scale(1.0, 1.0, 1.0);
  const CDxfBlock* block = nullptr;
  std::string blockName;
  bool paperSpace = false;
  while (NextEntityGroup()) {
    if (TakeCommonGroup(paperSpace)) continue;
    switch (GetGroupCode()) {
      case 2:
        blockName = m_groups.Text();
        block = m_blocks.FindBlock(blockName.c_str());
        break;
      case 10:
        point.x = Number();
        break;
      case 20:
        point.y = Number();
        break;
      case 41:
        scale.x = Number();
        break;
      case 42:
        scale.y = Number();
        break;
      case 50:
        insert.SetRotation(Number());
        break;
      default:
        break;
    }
  }
  if (!m_groups.LastReadOk()) return false;
  // Attributes follow up to their SEQEND, which the caller's loop reads over.
  if (EqualNoCase(m_groups.Text(), "ATTRIB") && !SkipToSeqend()) return false;
  if (DropsBadNumber("INSERT")) return true;
  if (paperSpace || !InsertBlockIsUsable(block)) return true;
  if (target == nullptr && !AdmitTopLevelInsert(block)) return true;
  insert.SetInsertionPoint(point);
  insert.SetScale(scale);
  insert.SetBlock(block);
  Retain(insert, target);
  return true;
}

}  // namespace brisol
