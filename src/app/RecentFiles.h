// The five most recently opened pictures, the newest first.
#pragma once

#include <array>
#include <string>

namespace brisol {

class CRecentFiles {
 public:
  static constexpr int kCount = 5;

  // Puts a path at the top, moving the others down and dropping the oldest.
  // A path already listed leaves the list as it is (it does not move up);
  // an empty path is refused with a warning.
  void Add(const std::string& path);
  // The i-th entry (0 = newest) and true; "" and false for an empty entry or
  // (with a warning) an index outside 0..4.
  bool Get(int i, std::string& out) const;
  // The i-th entry as stored, "" outside 0..4.
  const std::string& Entry(int i) const;
  // Sets the i-th entry as read from the settings.
  void SetEntry(int i, std::string path);

 private:
  std::array<std::string, kCount> m_entries;
};

}  // namespace brisol
