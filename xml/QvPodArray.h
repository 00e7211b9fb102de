#pragma once
// A growing array of plain values that lives in one block from the C
// allocator. It grows with realloc: a large block is moved by remapping its
// pages instead of being copied, so a tree of hundreds of megabytes does not
// need its old and new arrays at the same time while it grows, as a vector
// would.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

template <class T>
class QvPodArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T& operator[](size_t i) { return m_data.get()[i]; }
    const T& operator[](size_t i) const { return m_data.get()[i]; }
    const T* data() const { return m_data.get(); }

    void push_back(const T& value) {
        Reserve(m_size + 1);
        m_data.get()[m_size++] = value;
    }
    void Append(const T* values, size_t count) {
        if (count == 0) return;
        Reserve(m_size + count);
        std::memcpy(m_data.get() + m_size, values, count * sizeof(T));
        m_size += count;
    }
    void clear() {
        m_data.reset();
        m_size = m_capacity = 0;
    }

private:
    struct Free {
        void operator()(T* block) const { std::free(block); }
    };

    void Reserve(size_t needed) {
        if (needed <= m_capacity) return;
        // Half as much again: the pages past the size are never touched, so
        // they cost address space, not memory.
        size_t capacity = m_capacity + m_capacity / 2;
        if (capacity < needed) capacity = needed;
        if (capacity < 16) capacity = 16;
        if (capacity > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
        void* grown = std::realloc(m_data.get(), capacity * sizeof(T));
        if (!grown) throw std::bad_alloc();
        (void)m_data.release();
        m_data.reset(static_cast<T*>(grown));
        m_capacity = capacity;
    }

    std::unique_ptr<T, Free> m_data;
    size_t m_size = 0;
    size_t m_capacity = 0;
};
