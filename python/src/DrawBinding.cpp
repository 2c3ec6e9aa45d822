// draw(): a formula's drawing records over the visible bars, and the chart that
// `qxindex draw` paints of them, from the tool's own composer and renderer.
#include <cmath>

#include "python/src/Bindings.h"
#include "tools/qxindex/FormulaChart.h"
#include "tools/qxindex/chart/ChartRenderer.h"
#include "tools/qxindex/chart/RecordsJson.h"

namespace qxscript {
namespace {

struct DrawRequest {
    int first = 0;
    int last = 0;
    bool overlay = false;
    bool magnet = false;
    int width = 1200;
    int height = 800;
    std::string title;
    std::string shapesJson;  // empty for none
};

// The bars as the chart's renderer takes them, with real instants for its dates.
std::vector<qxindex::Bar> ChartBars(const BarColumns& columns, int count) {
    std::vector<qxindex::Bar> bars(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        qxindex::Bar& bar = bars[static_cast<size_t>(i)];
        bar.time = columns.times != nullptr ? LocalInstant(columns.times[i]) : 0;
        bar.open = columns.open[i];
        bar.high = columns.high[i];
        bar.low = columns.low[i];
        bar.close = columns.close[i];
        bar.volume = columns.volume[i];
        bar.amount = columns.amount != nullptr ? columns.amount[i] : 0.0;
    }
    return bars;
}

// Returns (records as JSON text, SVG text or None).
py::tuple Draw(const py::object& text, const py::list& params, const py::dict& bars,
               const DrawRequest& request, bool render) {
    BarArrays arrays(bars);
    const int count = arrays.Count();
    if (count == 0) throw py::value_error("no bars to draw");
    if (request.first < 0 || request.last >= count || request.first > request.last) {
        throw py::index_error("visible bars " + std::to_string(request.first) + ".." +
                              std::to_string(request.last) + " are not within 0.." +
                              std::to_string(count - 1));
    }
    qxindex::FormulaPicture picture;
    qxindex::ParsedFormula formula;
    ArrayBarSource source(arrays.Columns(), count, count);
    const bool hasFormula = !text.is_none();
    if (hasFormula) {
        ParseOrThrow(formula, FormulaInputOf(text.cast<std::string>(), params));
        qxindex::CalculatedFormula calculated(formula, source);
        bool ok = false;
        {
            py::gil_scoped_release released;
            ok = calculated.CalculateAll();
            if (ok) {
                picture = qxindex::PictureOfFormula(formula, calculated.Calculator(), request.first,
                                                    request.last);
            }
        }
        if (!ok)
            throw std::runtime_error("the library could not calculate the formula over these bars");
    }
    qxindex::ShapeSet shapes;
    if (!request.shapesJson.empty()) {
        try {
            shapes = qxindex::ReadShapesJson(request.shapesJson, "shapes");
        } catch (const qxindex::ShapesError& e) {
            throw py::value_error(e.message);
        }
    }
    std::vector<qxindex::Bar> chartBars = ChartBars(arrays.Columns(), count);
    qxindex::FormulaChart chart;
    chart.title = request.title;
    chart.bars = &chartBars;
    chart.from = request.first;
    chart.to = request.last;
    chart.width = request.width;
    chart.height = request.height;
    chart.magnet = request.magnet;
    if (hasFormula) (request.overlay ? chart.overlay : chart.indicator) = &picture;
    if (!shapes.Shapes().empty()) chart.shapes = &shapes;
    std::vector<QXDrawInfo::GraphDrawInfo> records;
    std::string svg;
    {
        py::gil_scoped_release released;
        qxindex::ChartSpec layout = qxindex::ComposeChart(chart, &records);
        if (render) svg = qxindex::RenderChartSvg(layout);
    }
    std::string json = qxindex::DumpRecordsJson(records);
    return py::make_tuple(json, render ? py::object(py::str(svg)) : py::object(py::none()));
}

}  // namespace

void RegisterDraw(py::module_& module) {
    module.def(
        "draw",
        [](const py::object& formula, const py::list& params, const py::dict& bars, int first,
           int last, bool overlay, int width, int height, const std::string& title,
           const std::string& shapes, bool magnet, bool render) {
            if (width <= 0 || height <= 0) throw py::value_error("the size must be positive");
            DrawRequest request{first, last, overlay, magnet, width, height, title, shapes};
            return Draw(formula, params, bars, request, render);
        },
        py::arg("formula"), py::arg("params"), py::arg("bars"), py::arg("first"), py::arg("last"),
        py::arg("overlay"), py::arg("width"), py::arg("height"), py::arg("title"),
        py::arg("shapes"), py::arg("magnet"), py::arg("render"),
        "Drawing records (JSON text) and, with render, the SVG chart of a formula");
}

}  // namespace qxscript
