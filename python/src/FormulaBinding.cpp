// check(): what the library understood of a formula, or its first error raised as
// qxscript.FormulaError with the message in UTF-8.
#include <cstdio>

#include "python/src/Bindings.h"
#include "tools/qxindex/TextEncoding.h"

namespace qxscript {
namespace {

py::dict OutputDict(const qxindex::OutputLine& line) {
    py::dict out;
    out["index"] = line.index;
    out["name"] = line.name;
    out["colour"] = line.hasColour ? py::object(py::str(qxindex::ColourText(line.colour)))
                                   : py::object(py::none());
    out["width"] = line.width;
    out["draw_type"] = line.drawType;
    out["draw_function"] = line.isDrawFunction;
    out["hidden"] = line.hidden;
    return out;
}

py::dict Check(const std::string& text, const py::list& params) {
    qxindex::FormulaInput input = FormulaInputOf(text, params);
    qxindex::ParsedFormula formula;
    ParseOrThrow(formula, input);
    py::list outputs;
    for (const qxindex::OutputLine& line : formula.Outputs()) outputs.append(OutputDict(line));
    py::list parsedParams;
    for (const qxindex::ParamValue& param : formula.Params()) {
        parsedParams.append(py::make_tuple(param.name, static_cast<double>(param.value)));
    }
    py::dict result;
    result["outputs"] = outputs;
    result["params"] = parsedParams;
    result["script"] = qxindex::GbkToUtf8(formula.Script());
    return result;
}

}  // namespace

qxindex::FormulaInput FormulaInputOf(const std::string& text, const py::list& params) {
    qxindex::FormulaInput input;
    input.text = text;
    std::vector<std::string> overrides;
    for (const py::handle& item : params) {
        auto pair = item.cast<py::tuple>();
        char value[64];
        std::snprintf(value, sizeof(value), "%.9g", pair[1].cast<double>());
        overrides.push_back(pair[0].cast<std::string>() + "=" + value);
    }
    try {
        input.params = qxindex::ReadParamsHeader(text);
        qxindex::ApplyParamOverrides(input.params, overrides);
    } catch (const qxindex::UsageError& e) {
        throw py::value_error(e.message);
    }
    return input;
}

void ParseOrThrow(qxindex::ParsedFormula& formula, const qxindex::FormulaInput& input) {
    bool ok = false;
    {
        py::gil_scoped_release released;
        ok = formula.Parse(input);
    }
    if (!ok) throw FormulaFailure{formula.Error()};
}

void RegisterFormula(py::module_& module) {
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) std::rethrow_exception(thrown);
        } catch (const FormulaFailure& failure) {
            const qxindex::FormulaError& error = failure.error;
            py::object type = py::module_::import("qxscript._errors").attr("FormulaError");
            // The library counts line feeds before the statement; people count lines.
            py::object raised =
                type(error.text, error.code, error.line + 1, error.column, error.position);
            PyErr_SetObject(type.ptr(), raised.ptr());
        }
    });
    module.def("check", &Check, py::arg("formula"), py::arg("params"),
               "Parses a formula: its outputs, parameters and internal script");
}

}  // namespace qxscript
