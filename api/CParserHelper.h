// Keyword classification for the client, for example to colour formula words in
// an editor. It reads the process-wide keyword tables, which the first parse of
// the process builds; before that only the upper-case LINETHICKn and COLORxxxxxx
// forms are recognised.
#pragma once

#include <string>

#include "QXExport.h"

class QX_API CParserHelper {
public:
    CParserHelper& operator=(const CParserHelper& other);

    // A function or drawing function, else the answer of IsParamIndex.
    static bool IsFunc(const std::string& strWord);
    // A bar data field such as CLOSE or C.
    static bool IsParamIndex(const std::string& strWord);
    // A line style, named colour or line width keyword, or an upper-case
    // LINETHICK1..LINETHICK9 or COLOR followed by six characters.
    static bool IsConst(const std::string& strWord);
};
