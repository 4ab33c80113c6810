// Scratch memory a thread keeps from one call to the next (buffers that
// would otherwise be allocated for every figure), released when the thread
// ends. Not a C++ thread_local object with a destructor: registering that
// destructor allocates on the thread's first use, and when that allocation
// fails the C library ends the whole program, before any of its code can
// answer (a drawing thread that first meets its scratch when memory has run
// out). A POSIX key's value needs no allocation of its own.
#pragma once

#include <pthread.h>

#include <memory>
#include <new>

namespace brisol {

template <class T>
class ThreadScratch {
 public:
  ThreadScratch() : m_ready(pthread_key_create(&m_key, &Release) == 0) {}
  ThreadScratch(const ThreadScratch&) = delete;
  ThreadScratch& operator=(const ThreadScratch&) = delete;
  // The key outlives every thread: kept in function-level statics, which
  // are never destroyed before the threads that use them.

  // The calling thread's scratch, made the first time; std::bad_alloc when
  // it cannot be made, as any allocation of the drawing.
  T& Get() {
    if (m_ready) {
      if (void* kept = pthread_getspecific(m_key)) return *static_cast<T*>(kept);
    }
    auto made = std::make_unique<T>();
    if (!m_ready || pthread_setspecific(m_key, made.get()) != 0) throw std::bad_alloc();
    return *made.release();
  }

 private:
  static void Release(void* kept) { std::unique_ptr<T>(static_cast<T*>(kept)).reset(); }

  pthread_key_t m_key{};
  bool m_ready;
};

}  // namespace brisol
