// What a drawing of the output picture came to. Its failures come back here,
// in words for people, instead of through the log's pending error; the
// details behind them are in the log.
#pragma once

#include <string>

namespace brisol {

struct DrawResult {
  enum class Outcome {
    Drawn,    // the output picture is complete
    Stopped,  // a stop request ended it; the output is incomplete
    Failed,   // nothing usable was drawn; message says why
  };
  Outcome outcome = Outcome::Drawn;
  std::string message;

  bool ok() const { return outcome == Outcome::Drawn; }
  static DrawResult Failure(std::string why) { return {Outcome::Failed, std::move(why)}; }
};

}  // namespace brisol
