#include "bench/AllocationCounter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> g_nCurrent{0};
std::atomic<size_t> g_nPeak{0};

void* Allocate(size_t nBytes) {
    void* pBlock = std::malloc(nBytes == 0 ? 1 : nBytes);
    if (pBlock == nullptr) return nullptr;
    const size_t nNow = g_nCurrent += malloc_usable_size(pBlock);
    size_t nPeak = g_nPeak.load();
    while (nNow > nPeak && !g_nPeak.compare_exchange_weak(nPeak, nNow)) {
    }
    return pBlock;
}

void Release(void* pBlock) {
    if (pBlock == nullptr) return;
    g_nCurrent -= malloc_usable_size(pBlock);
    std::free(pBlock);
}

}  // namespace

namespace qxbench {

size_t CurrentBytes() {
    return g_nCurrent.load();
}

size_t PeakBytes() {
    return g_nPeak.load();
}

void ResetPeakBytes() {
    g_nPeak = g_nCurrent.load();
}

}  // namespace qxbench

void* operator new(size_t nBytes) {
    void* pBlock = Allocate(nBytes);
    if (pBlock == nullptr) throw std::bad_alloc();
    return pBlock;
}
void* operator new[](size_t nBytes) {
    return operator new(nBytes);
}
void* operator new(size_t nBytes, const std::nothrow_t&) noexcept {
    return Allocate(nBytes);
}
void* operator new[](size_t nBytes, const std::nothrow_t&) noexcept {
    return Allocate(nBytes);
}
void operator delete(void* pBlock) noexcept {
    Release(pBlock);
}
void operator delete[](void* pBlock) noexcept {
    Release(pBlock);
}
void operator delete(void* pBlock, size_t) noexcept {
    Release(pBlock);
}
void operator delete[](void* pBlock, size_t) noexcept {
    Release(pBlock);
}
void operator delete(void* pBlock, const std::nothrow_t&) noexcept {
    Release(pBlock);
}
void operator delete[](void* pBlock, const std::nothrow_t&) noexcept {
    Release(pBlock);
}
