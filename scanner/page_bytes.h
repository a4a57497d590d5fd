#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace dbx {

// Memory that starts at a page boundary: the kernel copies a file's bytes into it fastest.
template <class T>
struct PageAllocator {
    using value_type = T;
    static constexpr std::size_t kPage = 4096;

    PageAllocator() = default;
    template <class U>
    PageAllocator(const PageAllocator<U>&) {}

    T* allocate(std::size_t n) {
        return static_cast<T*>(::operator new(n * sizeof(T), std::align_val_t(kPage)));
    }
    void deallocate(T* p, std::size_t) { ::operator delete(p, std::align_val_t(kPage)); }

    template <class U>
    bool operator==(const PageAllocator<U>&) const {
        return true;
    }
};

using PageBytes = std::vector<std::uint8_t, PageAllocator<std::uint8_t>>;

}  // namespace dbx
