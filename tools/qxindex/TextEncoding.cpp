#include "tools/qxindex/TextEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace qxindex {
namespace {

// Runs iconv over `in`. On an invalid sequence either escapes one byte and goes on
// (`escapeInvalid`) or gives up and reports false.
bool Convert(const char* to, const char* from, const std::string& in, bool escapeInvalid,
             std::string* out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out->clear();
    std::vector<char> buffer(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    bool ok = true;
    while (srcLeft > 0) {
        char* dst = buffer.data();
        size_t dstLeft = buffer.size();
        size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out->append(buffer.data(), dst);
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        if (!escapeInvalid) {
            ok = false;
            break;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof(escaped), "\\x%02x", static_cast<unsigned char>(*src));
        out->append(escaped);
        ++src;
        --srcLeft;
    }
    iconv_close(cd);
    return ok;
}

}  // namespace

std::string GbkToUtf8(const std::string& gbk) {
    std::string out;
    if (!Convert("UTF-8", "GBK", gbk, true, &out)) return gbk;
    return out;
}

std::string Utf8ToGbk(const std::string& utf8) {
    std::string out;
    if (!Convert("GBK", "UTF-8", utf8, false, &out)) return utf8;
    return out;
}

}  // namespace qxindex
