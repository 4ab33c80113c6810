#include "DxfInfoReport.h"

#include <charconv>
#include <cmath>
#include <memory>
#include <mutex>

#include "Json.h"
#include "dxf/DxfFile.h"
#include "dxf/ShapeVerdict.h"
#include "logger/Alerts.h"
#include "logger/Format.h"
#include "logger/Trace.h"

namespace brisol::cli {
namespace {

// Adds a message to the report's, telling a repeat of the last one as a
// count: "Block buffer overflow (3500 times)".
class MessageList {
 public:
  explicit MessageList(std::vector<std::string>& messages) : m_messages(messages) {}
  void Add(const std::string& text) {
    if (!m_messages.empty() && m_repeats > 0 && text == m_last) {
      ++m_repeats;
      m_messages.back() = Counted(text, m_repeats);
      return;
    }
    m_last = text;
    m_repeats = 1;
    m_messages.push_back(text);
  }

 private:
  static std::string Counted(std::string text, long long times) {
    std::string ending;
    while (!text.empty() && text.back() == '\n') {
      ending += '\n';
      text.pop_back();
    }
    return text + " (" + std::to_string(times) + " times)" + ending;
  }

  std::vector<std::string>& m_messages;
  std::string m_last;
  long long m_repeats = 0;
};

// Collects box texts into the report's messages while it is installed.
class CollectingAlertSink : public AlertSink {
 public:
  explicit CollectingAlertSink(MessageList& messages) : m_messages(messages) {}
  AlertAnswer Show(const Alert& alert) override {
    m_messages.Add(alert.text);
    if (alert.buttons == AlertButtons::YesNo) return AlertAnswer::No;
    if (alert.buttons == AlertButtons::YesNoCancel) return AlertAnswer::Cancel;
    return AlertAnswer::Ok;
  }

 private:
  MessageList& m_messages;
};

// Installs the collectors for one read and puts the previous ones back.
class ScopedMessageCollector {
 public:
  explicit ScopedMessageCollector(MessageList& messages) {
    m_previousTrace = SetTraceHandler([&messages](const std::string& text) { messages.Add(text); });
    m_previousSink = SetAlertSink(std::make_shared<CollectingAlertSink>(messages));
  }
  ~ScopedMessageCollector() {
    SetAlertSink(std::move(m_previousSink));
    SetTraceHandler(std::move(m_previousTrace));
  }
  ScopedMessageCollector(const ScopedMessageCollector&) = delete;
  ScopedMessageCollector& operator=(const ScopedMessageCollector&) = delete;

 private:
  TraceHandler m_previousTrace;
  std::shared_ptr<AlertSink> m_previousSink;
};

// The shortest text that reads back as the same double; null for values
// JSON cannot hold.
std::string JsonNumber(double v) {
  if (!std::isfinite(v)) return "null";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, result.ptr);
}

std::string JsonPoint(const CVec& p) {
  std::string out = "[";
  out.append(JsonNumber(p.x)).append(", ").append(JsonNumber(p.y)).append(", ").append(JsonNumber(p.z));
  out += ']';
  return out;
}

const char* Bool(bool b) { return b ? "true" : "false"; }

// Whether anything visible gave the drawing a box (with nothing, the
// extents run from the largest double down to the most negative).
bool HasExtents(const DxfInfoReport& r) {
  return r.extentsMin.x <= r.extentsMax.x && r.extentsMin.y <= r.extentsMax.y && r.extentsMin.z <= r.extentsMax.z;
}

}  // namespace

DxfInfoReport ReadDxfInfo(const char* path) {
  DxfInfoReport report;
  report.file = path != nullptr ? path : "";
  auto file = std::make_unique<CDxfFile>();
  MessageList messages(report.messages);
  {
    ScopedMessageCollector collector(messages);
    report.readOk = file->ReadFile(path, nullptr);
  }
  for (int t = 0; t < ikNumDxfEntityTypes; ++t) report.counts[static_cast<std::size_t>(t)] = file->CountOfType(t);
  const CLayerTable& layers = file->GetLayerTable();
  for (int i = 0; i < layers.GetCount(); ++i) {
    const CDxfLayer* layer = layers.GetLayer(i);
    report.layers.push_back({layer->GetName(), layer->GetColourIndex(), layer->IsVisible()});
  }
  const CBlockTable& blocks = file->GetBlockTable();
  for (int i = 0; i < blocks.GetCount(); ++i) {
    const CDxfBlock* block = blocks.GetBlock(i);
    report.blocks.push_back({block->GetName(), block->GetEntList().GetCount()});
  }
  {
    // Measuring may trace too (deeply nested blocks).
    ScopedMessageCollector collector(messages);
    file->GetExtents(report.extentsMin, report.extentsMax);
  }
  // As the effect loader decides: a drawing read to its end with at least
  // one entity it can draw filled or outlined, on a layer that is on and of
  // some size.
  report.verdict = JudgeShape(*file);
  report.useful = report.readOk && report.verdict == ShapeVerdict::kUsable;
  return report;
}

std::string DxfInfoJson(const DxfInfoReport& r) {
  std::string out = "{\"file\": " + JsonString(r.file) + ", \"read_ok\": " + Bool(r.readOk) + ", \"entities\": {";
  for (int t = 0; t < ikNumDxfEntityTypes; ++t) {
    if (t > 0) out += ", ";
    out += JsonString(DxfEntityTypeName(t)) + ": " + std::to_string(r.counts[static_cast<std::size_t>(t)]);
  }
  out += "}, \"layers\": [";
  for (std::size_t i = 0; i < r.layers.size(); ++i) {
    if (i > 0) out += ", ";
    out += "{\"name\": " + JsonString(r.layers[i].name) + ", \"colour\": " + std::to_string(r.layers[i].colour) +
           ", \"visible\": " + Bool(r.layers[i].visible) + "}";
  }
  out += "], \"blocks\": [";
  for (std::size_t i = 0; i < r.blocks.size(); ++i) {
    if (i > 0) out += ", ";
    out +=
        "{\"name\": " + JsonString(r.blocks[i].name) + ", \"entities\": " + std::to_string(r.blocks[i].entities) + "}";
  }
  out += "], \"extents\": " +
         (HasExtents(r) ? "{\"min\": " + JsonPoint(r.extentsMin) + ", \"max\": " + JsonPoint(r.extentsMax) + "}"
                        : std::string("null")) +
         ", \"useful\": " + Bool(r.useful) + ", \"messages\": [";
  for (std::size_t i = 0; i < r.messages.size(); ++i) {
    if (i > 0) out += ", ";
    out += JsonString(r.messages[i]);
  }
  out += "]}";
  return out;
}

std::string DxfInfoText(const DxfInfoReport& r) {
  std::string out = OneLineText(r.file) + ": " + (r.readOk ? "read to EOF" : "read FAILED") + "\n";
  int total = 0;
  std::string kinds;
  for (int t = 0; t < ikNumDxfEntityTypes; ++t) {
    const int n = r.counts[static_cast<std::size_t>(t)];
    total += n;
    if (n > 0) kinds += std::string(kinds.empty() ? "" : ", ") + DxfEntityTypeName(t) + " " + std::to_string(n);
  }
  out += "  entities: " + std::to_string(total) + (kinds.empty() ? "" : " (" + kinds + ")") + "\n";
  out += "  layers:   " + std::to_string(r.layers.size());
  for (std::size_t i = 0; i < r.layers.size(); ++i) {
    out += std::string(i == 0 ? ": " : ", ") + r.layers[i].name + " (colour " + std::to_string(r.layers[i].colour) +
           (r.layers[i].visible ? "" : ", hidden") + ")";
  }
  out += "\n  blocks:   " + std::to_string(r.blocks.size());
  for (std::size_t i = 0; i < r.blocks.size(); ++i) {
    out += std::string(i == 0 ? ": " : ", ") + r.blocks[i].name + " (" + std::to_string(r.blocks[i].entities) +
           " entities)";
  }
  out += "\n  extents:  " +
         (HasExtents(r) ? JsonPoint(r.extentsMin) + " to " + JsonPoint(r.extentsMax) : std::string("none")) + "\n";
  out += std::string("  useful:   ") +
         (r.useful   ? "yes"
          : r.readOk ? "no (" + std::string(ShapeVerdictText(r.verdict)) + ")"
                     : std::string("no (the file was not read to its end)")) +
         "\n";
  out += "  messages: " + std::to_string(r.messages.size()) + "\n";
  for (const std::string& m : r.messages) {
    std::string line = m;
    while (!line.empty() && line.back() == '\n') line.pop_back();
    std::string indented;
    for (char ch : line) indented += ch == '\n' ? std::string("\n      ") : std::string(1, ch);
    out += "    - " + indented + "\n";
  }
  return out;
}

}  // namespace brisol::cli
