// Growable arrays of plain records that reserve nothing until they first grow: the
// periphery modules set large initial sizes but, in this system, never use most arrays.
#pragma once

#include <cstddef>
#include <type_traits>

namespace fea {

// The allocator record: an owner and its memory function, which receives the record. Size 0
// frees (a null block is ignored), a null block allocates, otherwise the block is resized.
struct ArrayAllocator {
  void* owner = nullptr;
  void* (*manage)(const ArrayAllocator* record, void* block, size_t size) = nullptr;
};

template <class T>
struct GrowArray {
  static_assert(std::is_trivially_copyable_v<T>, "storage moves by resizing the block");
  using InitFn = void (*)(void* client, long count, T* items);

  T* array = nullptr;
  long count = 0;     // elements in use
  long capacity = 0;  // 0 until the first growth
  long initial = 0;
  long increment = 0;
  InitFn init = nullptr;
  void* initClient = nullptr;
  const ArrayAllocator* alloc = nullptr;

  void bind(const ArrayAllocator* a, long initialSize, long incr, InitFn fn = nullptr,
            void* client = nullptr) {
    alloc = a;
    initial = initialSize;
    increment = incr;
    init = fn;
    initClient = client;
  }

  // Makes room for `need` elements in all; new elements go through the init callback.
  void reserve(long need) {
    if (need <= capacity) return;
    long newCap = capacity == 0 ? initial : capacity;
    while (newCap < need) newCap += increment > 0 ? increment : need - newCap;
    void* block = alloc->manage(alloc, array, static_cast<size_t>(newCap) * sizeof(T));
    array = static_cast<T*>(block);
    if (init) init(initClient, newCap - capacity, array + capacity);
    capacity = newCap;
  }

  T* next() {
    reserve(count + 1);
    return &array[count++];
  }

  // Storage goes back only when the array ever grew.
  void release() {
    if (capacity == 0) return;
    alloc->manage(alloc, array, 0);
    array = nullptr;
    capacity = 0;
    count = 0;
  }
};

}  // namespace fea
