#include "tools/qxindex/serve/WebAssets.h"

#include <cstring>

namespace qxindex {

// Written at build time from web/ by EmbedWebAssets.cmake.
extern const WebAsset kWebAssets[];
extern const size_t kWebAssetCount;

const WebAsset* FindWebAsset(const std::string& strPath) {
    const std::string path = strPath == "/" ? std::string("/index.html") : strPath;
    for (size_t i = 0; i < kWebAssetCount; ++i) {
        if (path == kWebAssets[i].pszPath) return &kWebAssets[i];
    }
    return nullptr;
}

}  // namespace qxindex
