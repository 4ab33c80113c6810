// CDxfFile: one ASCII DXF drawing read from disk. It is itself the drawing's
// top-level entity list and owns the drawing's layers and blocks.
//
// The reader is a single forward pass over the file's groups with one group
// of look-ahead: every entity reader returns with the code-0 group that ended
// its entity already read, and that group is dispatched next. It keeps LINE,
// POINT, CIRCLE, ARC, ELLIPSE, TEXT, POLYLINE (plain polylines, polyface and
// polygon meshes), LWPOLYLINE and INSERT, the LAYER table and the blocks;
// everything else is read over. Failures are traced (TraceMsg) or shown
// (DxfMsgBox, DxfWalertBox) with the line they happened at; entities read
// before a failure stay in the drawing.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "dxf/DxfBlock.h"
#include "dxf/DxfEntity.h"
#include "dxf/DxfGroupReader.h"
#include "dxf/DxfLayer.h"
#include "dxf/EntList.h"

namespace brisol {

class CDxfFile : public CEntList {
 public:
  // The excluded-layer prefix holds at most 259 characters (file names have
  // no limit of their own).
  static constexpr std::size_t kMaxPathChars = 259;
  // What measuring the extents of all top-level INSERTs may cost, in entity
  // boxes of nested blocks; INSERTs beyond it are dropped with a trace.
  static constexpr std::int64_t kMaxInsertBoxes = 2000000;

  // An empty drawing: layer "0" only.
  CDxfFile();
  // Reads the file; the result is not reported (see ReadFile for that).
  CDxfFile(const char* fileName, const char* excludedLayerPrefix);
  ~CDxfFile() override;
  CDxfFile(const CDxfFile&) = delete;
  CDxfFile& operator=(const CDxfFile&) = delete;

  // Destroys entities, blocks and layers, adds layer "0" (colour 7, solid,
  // visible) and makes it current; output scale 1, offset zero; forgets the
  // file, its name and the excluded-layer prefix; group code -1.
  void Reset();
  // Reads a drawing, replacing the previous one. True when the whole file
  // was read up to "EOF". Top-level entities on a layer whose name begins
  // with excludedLayerPrefix (without case; null: nothing excluded) are not
  // kept.
  bool ReadFile(const char* fileName, const char* excludedLayerPrefix);
  // Reads one group into the current group; -1 accepts any code.
  bool ReadGroup(int matchCode) { return m_groups.ReadGroup(matchCode); }

  // The file-level AddEntity of the readers: applies the excluded-layer
  // prefix, then adds a clone on the named layer (null: the current layer).
  // Answers the new count, 0 when the entity was excluded.
  int AddEntity(const CDxfEntity& entity, const char* layerName);
  using CEntList::AddEntity;

  CLayerTable& GetLayerTable() { return m_layers; }
  const CLayerTable& GetLayerTable() const { return m_layers; }
  CBlockTable& GetBlockTable() { return m_blocks; }
  const CBlockTable& GetBlockTable() const { return m_blocks; }
  CDxfLayer* GetCurrentLayer() const { return m_pCurrentLayer; }
  // "0" makes the first layer current; any other name is looked up without
  // case, and a name not in the table gives the first layer.
  void SetCurrentLayer(const char* name);

  // The name of the file read (empty before a read and after a failed open).
  const std::string& GetFileName() const { return m_groups.FileName(); }
  const std::string& GetExcludedLayerPrefix() const { return m_strExcludedPrefix; }
  int GetLineCount() const { return m_groups.LineCount(); }
  // Why the last ReadFile could not open its file, in words ("Permission
  // denied", "it is a named pipe (FIFO), not a regular file"); empty when it
  // could.
  const std::string& GetOpenProblem() const { return m_groups.OpenProblem(); }
  int GetGroupCode() const { return m_groups.Code(); }
  const std::string& GetGroupText() const { return m_groups.Text(); }

  // The output scale and offset of ApplyFileTransform and the writer.
  double GetOutputScale() const { return m_transform.scale; }
  const CVec& GetOutputOffset() const { return m_transform.offset; }
  void SetOutputScale(double scale) { m_transform.scale = scale; }
  void SetOutputOffset(const CVec& offset) { m_transform.offset = offset; }
  const DxfFileTransform& GetFileTransform() const { return m_transform; }

 private:
  // Entity readers: each reads the groups after its code-0 group up to the
  // next code-0 group and keeps its entity in the target block's list, or
  // at top level when target is null.
  using EntityReader = bool (CDxfFile::*)(CDxfBlock* target);
  struct EntityReaderEntry {
    const char* name;
    EntityReader read;
    bool inBlocks;  // read inside BLOCK definitions too
  };
  static const EntityReaderEntry kEntityReaders[];
  // The reader of the current group's entity name, or null.
  static EntityReader FindEntityReader(const std::string& name, bool inBlock);
  // Runs an entity reader on a fresh entity.
  bool ReadEntity(EntityReader reader, CDxfBlock* target) {
    m_bBadNumber = false;
    m_iEntityLine = GetLineCount();
    return (this->*reader)(target);
  }

  // Sections (DxfFileSections.cpp).
  bool ReadSection();
  bool SkipSection(const char* errorFormat);
  bool ReadTablesSection();
  bool ReadTable();
  bool ReadLayerTable();
  bool ReadOtherTable(const std::string& tableName);
  bool ReadBlocksSection();
  bool ReadBlocksEntries();
  bool ReadBlock();
  bool ReadEntitiesSection();

  // Entities (DxfEntityReaders.cpp, DxfPolylineReader.cpp).
  bool SkipEntity();
  bool SkipToSeqend();
  // Reads the next group of an entity: false at its ending code-0 group or
  // when the read failed (LastReadOk tells which).
  bool NextEntityGroup();
  // Group 8 (layer) and 67 (paper space) of every entity; true when taken.
  bool TakeCommonGroup(bool& paperSpace);
  // The current group's number, noting one a drawing cannot use
  // (IsDrawingNumber) for DropsBadNumber.
  double Number();
  // Whether the entity being read held an unusable number since the last
  // call; such an entity is dropped with a trace naming it.
  bool DropsBadNumber(const char* entityName);
  void Retain(const CDxfEntity& entity, CDxfBlock* target, const char* layerName = nullptr);
  bool ReadLineEntity(CDxfBlock* target);
  bool ReadPointEntity(CDxfBlock* target);
  bool ReadCircleEntity(CDxfBlock* target);
  bool ReadArcEntity(CDxfBlock* target);
  bool ReadEllipseEntity(CDxfBlock* target);
  bool ReadTextEntity(CDxfBlock* target);
  bool ReadLwPolylineEntity(CDxfBlock* target);
  bool ReadInsertEntity(CDxfBlock* target);
  bool ReadPolylineEntity(CDxfBlock* target);
  struct PolylineCandidates;
  bool ReadVertex(PolylineCandidates& candidates);

  // INSERT costs (DxfInsertCost.cpp).
  std::int64_t InsertBoxes(const CDxfBlock* block) const;
  void NoteBlockBoxes(const CDxfBlock* block);
  bool AdmitTopLevelInsert(const CDxfBlock* block);

  CLayerTable m_layers;
  CBlockTable m_blocks;
  CDxfLayer* m_pCurrentLayer = nullptr;
  DxfFileTransform m_transform;
  std::string m_strExcludedPrefix;
  DxfGroupReader m_groups;
  // Entity boxes measured for the extents of one INSERT of each block.
  std::unordered_map<const CDxfBlock*, std::int64_t> m_blockBoxes;
  std::int64_t m_iInsertBoxes = 0;
  // An entity being read held a number IsDrawingNumber refuses; the line
  // of its name.
  bool m_bBadNumber = false;
  int m_iEntityLine = 0;
};

}  // namespace brisol
