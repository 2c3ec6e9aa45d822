// The one export macro of the library. Everything is hidden by default; only the
// families the client may use carry QX_API.
#pragma once

#if defined(_WIN32)
#if defined(QX_BUILDING_LIBRARY)
#define QX_API __declspec(dllexport)
#else
#define QX_API __declspec(dllimport)
#endif
#else
#define QX_API __attribute__((visibility("default")))
#endif

// Explicit instantiations of the standard vectors that client and library share.
// GCC takes their visibility from std and from the element type and ignores an
// attribute on the instantiation, so the macro matters only on Windows.
#if defined(_WIN32)
#define QX_VECTOR_API QX_API
#else
#define QX_VECTOR_API
#endif
