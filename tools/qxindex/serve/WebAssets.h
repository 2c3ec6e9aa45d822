// The page's files (web/), built into the binary so that the tool serves them from
// wherever it is installed or run.
#pragma once

#include <cstddef>
#include <string>

namespace qxindex {

struct WebAsset {
    const char* pszPath;  // "/index.html"
    const char* pszType;  // content type
    const unsigned char* pData;
    size_t nSize;
};

// The asset at a request path ("/" is the page), or null.
const WebAsset* FindWebAsset(const std::string& strPath);

}  // namespace qxindex
