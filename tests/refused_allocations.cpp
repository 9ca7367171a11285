#include "tests/refused_allocations.h"

#include <new>

int nothrow_allocations_left = -1;

// Through the ordinary allocation, so that the ordinary release matches it.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (nothrow_allocations_left == 0) return nullptr;
    if (nothrow_allocations_left > 0) --nothrow_allocations_left;
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
