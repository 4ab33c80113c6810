// What became of an operation that can fail: its value, or a status and one
// message for people naming what and why. The message is made where the
// failure is found and only passed on after that; it is shown at the edges
// alone (a window's box or status line, the command line's standard error).
//
//   Outcome<Picture> Read(...) {
//     if (!file) return Fail(Status::NotFound, "cannot read 'a.png': no such file");
//     return picture;
//   }
//   auto read = Read(...);
//   if (!read) return read.failure();   // passed on unchanged
//
// Running out of memory is a status too: allocations that may fail go
// through TryAllocate, which turns std::bad_alloc into Status::NoMemory at
// the place it happens, so no exception crosses a library.
#pragma once

#include <cassert>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace brisol {

// The kinds of ending callers act on; every other failure is Failed.
enum class Status : unsigned char {
  Done,         // finished as asked
  Stopped,      // a stop request ended it; nothing half-made is kept
  Failed,       // failed; the message says why
  NoMemory,     // an allocation failed
  NotFound,     // the file, folder or name does not exist
  Damaged,      // the input is cut short or inconsistent
  Unsupported,  // a kind of input or output that is not read or written
  Invalid,      // the request itself is wrong: an option, a value, a name
};

// A word for the status, for logs and tests ("stopped", "no memory").
const char* StatusName(Status status);

// A failed ending: its status (never Done) and the message.
struct Failure {
  Status status = Status::Failed;
  std::string message;
};

inline Failure Fail(std::string message) { return Failure{Status::Failed, std::move(message)}; }
inline Failure Fail(Status status, std::string message) {
  assert(status != Status::Done);
  return Failure{status, std::move(message)};
}
// A stop request ended the work; the message may stay empty (nothing to tell).
inline Failure StoppedBy(std::string message = {}) { return Failure{Status::Stopped, std::move(message)}; }

template <class T = void>
class [[nodiscard]] Outcome {
 public:
  using value_type = T;

  template <class U = T,
            std::enable_if_t<std::is_constructible_v<T, U&&> && !std::is_same_v<std::remove_cvref_t<U>, Outcome> &&
                                 !std::is_same_v<std::remove_cvref_t<U>, Failure>,
                             int> = 0>
  Outcome(U&& value) : m_state(std::in_place_index<0>, std::forward<U>(value)) {}    // NOLINT: implicit by design
  Outcome(Failure failure) : m_state(std::in_place_index<1>, std::move(failure)) {}  // NOLINT

  bool ok() const { return m_state.index() == 0; }
  explicit operator bool() const { return ok(); }
  Status status() const { return ok() ? Status::Done : std::get<1>(m_state).status; }
  bool stopped() const { return status() == Status::Stopped; }
  // Empty when done.
  const std::string& message() const { return ok() ? Empty() : std::get<1>(m_state).message; }
  // The failure, to pass on; only when !ok().
  const Failure& failure() const& { return std::get<1>(m_state); }
  Failure&& failure() && { return std::get<1>(std::move(m_state)); }

  T& value() & { return std::get<0>(m_state); }
  const T& value() const& { return std::get<0>(m_state); }
  T&& value() && { return std::get<0>(std::move(m_state)); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*this).value(); }

 private:
  static const std::string& Empty() {
    static const std::string empty;
    return empty;
  }
  std::variant<T, Failure> m_state;
};

template <>
class [[nodiscard]] Outcome<void> {
 public:
  using value_type = void;

  Outcome() = default;
  Outcome(Failure failure) : m_status(failure.status), m_message(std::move(failure.message)) {  // NOLINT
    assert(m_status != Status::Done);
  }

  bool ok() const { return m_status == Status::Done; }
  explicit operator bool() const { return ok(); }
  Status status() const { return m_status; }
  bool stopped() const { return m_status == Status::Stopped; }
  const std::string& message() const { return m_message; }
  Failure failure() const& { return Failure{m_status, m_message}; }
  Failure failure() && { return Failure{m_status, std::move(m_message)}; }

 private:
  Status m_status = Status::Done;
  std::string m_message;
};

using Done = Outcome<void>;

// Runs make(), an allocation or anything that only allocates, and turns a
// failed allocation into Status::NoMemory with the message "not enough
// memory for WHAT". The one place the program catches std::bad_alloc apart
// from the edges of the libraries it calls.
template <class Make>
auto TryAllocate(const char* what, Make&& make) -> Outcome<std::invoke_result_t<Make>> {
  try {
    if constexpr (std::is_void_v<std::invoke_result_t<Make>>) {
      make();
      return {};
    } else {
      return make();
    }
  } catch (const std::bad_alloc&) {
    return Fail(Status::NoMemory, std::string("not enough memory for ") + what);
  }
}

}  // namespace brisol
