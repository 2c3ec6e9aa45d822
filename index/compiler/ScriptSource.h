// What the formula front end hands to the expression compiler: the internal script
// and the name lists that its identifiers are resolved against.
#pragma once

#include <string>
#include <vector>

struct ScriptSource {
    std::string strScript;                    // statements separated by ";" and CR LF
    std::vector<std::string> vecOutputNames;  // list kind 4, in output-slot order
    std::vector<std::string> vecFieldNames;   // list kind 3, data fields in order of first use
    std::vector<std::string> vecVariableNames;  // list kind 5, temporaries included
    std::vector<std::string> vecParamNames;
    std::vector<float> vecParamValues;  // same order as vecParamNames
};
