// Well-formedness of the renderer's output, judged by a real XML parser.
#pragma once

#include <expat.h>

#include <string>
#include <vector>

struct XmlCheck {
    bool wellFormed = false;
    std::string error;               // parser message and line when not well-formed
    std::vector<std::string> texts;  // character data of every <text> element, unescaped
    int elements = 0;

    static XmlCheck Parse(const std::string& document) {
        XmlCheck check;
        XML_Parser parser = XML_ParserCreate("UTF-8");
        XML_SetUserData(parser, &check);
        XML_SetElementHandler(parser, &XmlCheck::OnStart, &XmlCheck::OnEnd);
        XML_SetCharacterDataHandler(parser, &XmlCheck::OnText);
        if (XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1) ==
            XML_STATUS_OK) {
            check.wellFormed = true;
        } else {
            check.error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                          std::to_string(XML_GetCurrentLineNumber(parser));
        }
        XML_ParserFree(parser);
        return check;
    }

private:
    bool m_bInText = false;

    static void OnStart(void* data, const XML_Char* name, const XML_Char**) {
        XmlCheck* check = static_cast<XmlCheck*>(data);
        ++check->elements;
        if (std::string(name) == "text") {
            check->m_bInText = true;
            check->texts.emplace_back();
        }
    }
    static void OnEnd(void* data, const XML_Char*) {
        static_cast<XmlCheck*>(data)->m_bInText = false;
    }
    static void OnText(void* data, const XML_Char* text, int length) {
        XmlCheck* check = static_cast<XmlCheck*>(data);
        if (check->m_bInText) check->texts.back().append(text, static_cast<size_t>(length));
    }
};
