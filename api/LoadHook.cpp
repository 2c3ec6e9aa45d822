// The library's load hook. Constant tables are filled by static initialisation
// before this runs; the hook itself has nothing to do and always succeeds.
#if defined(_WIN32)
#include <windows.h>
BOOL APIENTRY DllMain(HMODULE, DWORD, LPVOID) { return TRUE; }
#else
namespace {
__attribute__((constructor)) void OnLibraryLoad() {}
}  // namespace
#endif
