#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace image {

// Blocks of working memory up to this size are kept by their thread (see ScratchBlock).
inline constexpr std::size_t kKeptScratchBytes = std::size_t{32} << 20;

// A block of working memory that a thread keeps between calls, declared thread_local by its
// user; its contents are not kept.
template <typename T>
struct KeptBlock {
  std::unique_ptr<T[]> data;
  std::size_t size = 0;
};

// Working memory for one call, taken from a block the calling thread keeps for the next call:
// frames of an animation come one after another at the same size, and a fresh block of
// megabytes costs page faults and zeroing each time. A request above kKeptScratchBytes gets a
// block of its own, freed with this object, so one huge picture does not pin its memory for the
// thread's life.
template <typename T>
class ScratchBlock {
 public:
  // `count` elements, not initialised, from `kept` (the thread's block, replaced by a larger
  // one when too small; null for none) or of their own; null when memory runs out.
  T* allocate(std::size_t count, KeptBlock<T>* kept) {
    try {
      if (kept != nullptr && count <= kKeptScratchBytes / sizeof(T)) {
        if (kept->size < count) {
          kept->data.reset();
          kept->size = 0;
          kept->data = std::make_unique_for_overwrite<T[]>(count);
          kept->size = count;
        }
        return kept->data.get();
      }
      m_owned = std::make_unique_for_overwrite<T[]>(count);
      return m_owned.get();
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }

 private:
  std::unique_ptr<T[]> m_owned;
};

}  // namespace image
