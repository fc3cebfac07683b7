// The kernel's growable array. Its only fields are two pointers, the first element and one past
// the last, both null while the array is empty, so callers may read them directly through begin()
// and end(). Storage comes from the kernel heap; the capacity lives in a small header in front of
// the first element, which keeps push_back amortised constant without a third field.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include <tagtrack/kernel/heap.h>

namespace TPK {

template <class T>
class tpk_array {
 public:
  using value_type = T;
  using iterator = T*;
  using const_iterator = const T*;

  tpk_array() noexcept = default;
  tpk_array(const T* items, std::size_t count) { assign(items, items + count); }
  tpk_array(const tpk_array& other) { assign(other.m_first, other.m_last); }
  tpk_array(tpk_array&& other) noexcept : m_first(other.m_first), m_last(other.m_last) {
    other.m_first = other.m_last = nullptr;
  }
  tpk_array& operator=(const tpk_array& other) {
    if (this != &other) {
      tpk_array copy(other);
      swap(copy);
    }
    return *this;
  }
  tpk_array& operator=(tpk_array&& other) noexcept {
    if (this != &other) {
      release();
      swap(other);
    }
    return *this;
  }
  ~tpk_array() { release(); }

  T* begin() noexcept { return m_first; }
  T* end() noexcept { return m_last; }
  const T* begin() const noexcept { return m_first; }
  const T* end() const noexcept { return m_last; }
  T* data() noexcept { return m_first; }
  const T* data() const noexcept { return m_first; }

  std::size_t size() const noexcept { return static_cast<std::size_t>(m_last - m_first); }
  bool empty() const noexcept { return m_first == m_last; }
  std::size_t capacity() const noexcept { return m_first ? header(m_first)->capacity : 0; }

  T& operator[](std::size_t i) noexcept { return m_first[i]; }
  const T& operator[](std::size_t i) const noexcept { return m_first[i]; }
  T& back() noexcept { return m_last[-1]; }
  const T& back() const noexcept { return m_last[-1]; }

  void swap(tpk_array& other) noexcept {
    std::swap(m_first, other.m_first);
    std::swap(m_last, other.m_last);
  }

  // Makes room for `count` elements without changing the contents.
  void reserve(std::size_t count) {
    if (count > capacity()) reallocate(count);
  }

  // Grows with value-initialised elements or shrinks from the end; kept elements stay in order.
  void resize(std::size_t count) {
    const std::size_t old = size();
    if (count <= old) {
      std::destroy(m_first + count, m_last);
      m_last = count == 0 ? m_first : m_first + count;
      if (count == 0) release();
      return;
    }
    reserve(count);
    std::uninitialized_value_construct(m_last, m_first + count);
    m_last = m_first + count;
  }

  void push_back(const T& item) { emplace_back(item); }
  void push_back(T&& item) { emplace_back(std::move(item)); }

  template <class... Args>
  T& emplace_back(Args&&... args) {
    if (size() == capacity()) {
      // Build the new element first: `args` may refer into this array.
      T item(std::forward<Args>(args)...);
      reallocate(grown_capacity());
      ::new (static_cast<void*>(m_last)) T(std::move(item));
    } else {
      ::new (static_cast<void*>(m_last)) T(std::forward<Args>(args)...);
    }
    return *m_last++;
  }

  void pop_back() noexcept {
    std::destroy_at(--m_last);
    if (m_last == m_first) release();
  }

  void clear() noexcept { release(); }

  // Appends the elements of [from, to), which must not lie inside this array.
  void append(const T* from, const T* to) {
    const std::size_t extra = static_cast<std::size_t>(to - from);
    if (extra == 0) return;
    if (size() + extra > capacity()) reallocate(std::max(size() + extra, grown_capacity()));
    std::uninitialized_copy(from, to, m_last);
    m_last += extra;
  }

 private:
  struct block_header {
    std::size_t capacity;
  };
  static constexpr std::size_t header_bytes =
      std::max(sizeof(block_header), alignof(T)) <= alignof(std::max_align_t)
          ? alignof(std::max_align_t)
          : std::max(sizeof(block_header), alignof(T));

  static block_header* header(T* first) noexcept {
    return reinterpret_cast<block_header*>(reinterpret_cast<char*>(first) - header_bytes);
  }

  std::size_t grown_capacity() const noexcept {
    const std::size_t cap = capacity();
    return cap < 4 ? 4 : cap * 2;
  }

  static T* allocate(std::size_t count) {
    if (count > (static_cast<std::size_t>(-1) - header_bytes) / sizeof(T)) throw std::bad_alloc();
    char* raw = static_cast<char*>(heap_allocate(header_bytes + count * sizeof(T)));
    reinterpret_cast<block_header*>(raw)->capacity = count;
    return reinterpret_cast<T*>(raw + header_bytes);
  }
  static void deallocate(T* first) noexcept {
    if (first) heap_free(reinterpret_cast<char*>(first) - header_bytes);
  }

  void reallocate(std::size_t count) {
    T* fresh = allocate(count);
    const std::size_t n = size();
    if constexpr (std::is_nothrow_move_constructible_v<T>) {
      std::uninitialized_move(m_first, m_last, fresh);
    } else {
      try {
        std::uninitialized_copy(m_first, m_last, fresh);
      } catch (...) {
        deallocate(fresh);
        throw;
      }
    }
    release();
    m_first = fresh;
    m_last = fresh + n;
  }

  void assign(const T* from, const T* to) {
    const std::size_t n = static_cast<std::size_t>(to - from);
    if (n == 0) return;
    T* fresh = allocate(n);
    try {
      std::uninitialized_copy(from, to, fresh);
    } catch (...) {
      deallocate(fresh);
      throw;
    }
    m_first = fresh;
    m_last = fresh + n;
  }

  void release() noexcept {
    if (m_first) {
      std::destroy(m_first, m_last);
      deallocate(m_first);
    }
    m_first = m_last = nullptr;
  }

  T* m_first = nullptr;
  T* m_last = nullptr;
};

}  // namespace TPK
