// Folds repeats in a stream of messages: a message that comes again right
// after itself is counted instead of written, and the count is written once,
// when another message comes or the folder is flushed, as
// "    (repeated N more times)". Used for the messages on standard error, so
// that a failure met thousands of times reads as one line and a count.
#pragma once

#include <functional>
#include <mutex>
#include <string>

namespace brisol {

class RepeatFolder {
 public:
  using Writer = std::function<void(const std::string& text)>;

  // Writes through writer; each text is written as it is given.
  explicit RepeatFolder(Writer writer) : m_writer(std::move(writer)) {}
  ~RepeatFolder() { Flush(); }
  RepeatFolder(const RepeatFolder&) = delete;
  RepeatFolder& operator=(const RepeatFolder&) = delete;

  void Write(const std::string& text);
  // Writes the count of the repeats not yet told.
  void Flush();

 private:
  void FlushLocked();

  std::mutex m_mutex;
  Writer m_writer;
  std::string m_last;
  bool m_any = false;
  long long m_repeats = 0;
};

// The messages of standard error (traces, the shape library's debug output,
// the boxes of tools), folded.
void WriteToStderr(const std::string& text);
// Tells the repeats not yet told; a command calls it before its own last line.
void FlushStderrRepeats();

}  // namespace brisol
