// Objects handed to the client live in zero-filled storage that the matching
// release function frees; nothing may be thrown across the boundary, so an
// exhausted heap gives null.
#pragma once

#include <cstring>
#include <new>
#include <typeinfo>
#include <utility>

template <typename T, typename... Args>
T* CreateZeroFilled(Args&&... args) noexcept {
    void* pStorage = ::operator new(sizeof(T), std::nothrow);
    if (pStorage == nullptr) return nullptr;
    std::memset(pStorage, 0, sizeof(T));
    try {
        return new (pStorage) T(std::forward<Args>(args)...);
    } catch (...) {
        ::operator delete(pStorage);
        return nullptr;
    }
}

// Destroys `p` only when its run-time class is exactly T; a foreign object is left alone.
template <typename T, typename Interface>
void DestroyIfOwnClass(Interface* p) noexcept {
    if (p == nullptr || typeid(*p) != typeid(T)) return;
    T* pObject = static_cast<T*>(p);
    pObject->~T();
    ::operator delete(static_cast<void*>(pObject));
}
