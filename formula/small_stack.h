// A stack that keeps its first elements inside the object and moves to the
// heap only when it outgrows them, so that the usual short formula is
// evaluated without allocating.
#ifndef QRVP_FORMULA_SMALL_STACK_H
#define QRVP_FORMULA_SMALL_STACK_H

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <type_traits>

namespace qrvp::formula {

template <typename T, std::size_t InlineCapacity>
class SmallStack {
    static_assert(std::is_trivially_copyable_v<T>, "elements are copied as plain values");

public:
    SmallStack() = default;
    SmallStack(const SmallStack&) = delete;
    SmallStack& operator=(const SmallStack&) = delete;

    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }
    T top() const { return data_[size_ - 1]; }

    // Grows by doubling; throws std::bad_alloc when memory runs out.
    void push(T value)
    {
        if (size_ == capacity_) Grow();
        data_[size_++] = value;
    }

    T pop() { return data_[--size_]; }

private:
    void Grow()
    {
        const std::size_t capacity = capacity_ * 2;
        auto heap = std::make_unique_for_overwrite<T[]>(capacity);
        std::copy(data_, data_ + size_, heap.get());
        heap_ = std::move(heap);
        data_ = heap_.get();
        capacity_ = capacity;
    }

    std::array<T, InlineCapacity> inline_;  // only the first size_ elements are ever read
    std::unique_ptr<T[]> heap_;
    T* data_ = inline_.data();
    std::size_t size_ = 0;
    std::size_t capacity_ = InlineCapacity;
};

}  // namespace qrvp::formula

#endif
