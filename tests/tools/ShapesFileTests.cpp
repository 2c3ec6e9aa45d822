// The shapes file takes for each kind the points that placing it with the mouse
// produces: the clicks, or all the anchors the tool keeps once placed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ChartFixtures.h"
#include "QXGraphInterface.h"
#include "tools/qxindex/ShapesFile.h"
#include "tools/qxindex/chart/ChartCoordinate.h"
#include "tools/qxindex/chart/ChartLayout.h"

namespace {

using qxindex::ShapeAnchorRange;
using qxindex::ShapeKindAnchorRange;
using qxindex::ShapeKindName;

// Every kind of the factory's table.
const int kKinds[] = {1,  2,  3,  4,  5,  6,  7,  8,   9,   20,  21,   22,  23,
                      24, 25, 40, 41, 42, 43, 44, 45,  46,  47,  60,   61,  62,
                      63, 64, 65, 66, 80, 81, 82, 100, 101, 102, 1000, 1010};

class ShapesFileTest : public ::testing::Test {
protected:
    ShapesFileTest()
        : m_spec(chart_fixtures::SampleChart()),
          m_layout(m_spec),
          m_coordinate(m_layout.Price().scale, m_spec.bars) {}

    // The entry of one tool with `count` points spread over the chart.
    static std::string Entry(int kind, size_t count) {
        std::string points;
        for (size_t i = 0; i < count; ++i) {
            if (i > 0) points += ", ";
            points += "{\"bar\": " + std::to_string(2 + 2 * i) +
                      ", \"price\": " + std::to_string(10.5 + 0.4 * static_cast<double>(i % 3)) +
                      "}";
        }
        return "[{\"kind\": \"" + ShapeKindName(kind) + "\", \"points\": [" + points + "]}]";
    }

    static std::string ErrorOf(const std::string& json) {
        try {
            qxindex::ReadShapesJson(json, "tools.json");
        } catch (const qxindex::ShapesError& e) {
            return e.message;
        }
        return "no error";
    }

    // Places a tool of `kind` with the mouse; the clicks until it reports itself
    // complete, and the anchors it then keeps.
    void Place(int kind, size_t* clicks, size_t* kept) {
        IQXGraphShapeBase* shape =
            QXGraphInterface::CreateGraphShape(static_cast<QX_GRAPH_TYPE>(kind));
        shape->SetCoordinate(&m_coordinate);
        const qxindex::PixelRect& plot = m_layout.Price().plot;
        *clicks = 0;
        bool complete = false;
        while (!complete && *clicks < 20) {
            float x = static_cast<float>(plot.left + 40.0 + 50.0 * static_cast<double>(*clicks));
            float y = static_cast<float>(plot.top + 60.0 + 25.0 * static_cast<double>(*clicks % 3));
            shape->OnMouseMove(x, y);
            complete = shape->OnMouseDown(x, y);
            ++*clicks;
        }
        std::vector<QXGraphPoint> points;
        shape->GetPoints(points);
        *kept = points.size();
        QXGraphInterface::ReleaseGraphShape(shape);
    }

    qxindex::ChartSpec m_spec;
    qxindex::ChartLayout m_layout;
    qxindex::ChartCoordinate m_coordinate;
};

TEST_F(ShapesFileTest, AcceptsWhatPlacingWithTheMouseProducesForEveryKind) {
    for (int kind : kKinds) {
        SCOPED_TRACE(ShapeKindName(kind));
        size_t clicks = 0, kept = 0;
        Place(kind, &clicks, &kept);
        ShapeAnchorRange range = ShapeKindAnchorRange(kind);
        EXPECT_EQ(range.fewest, clicks);
        EXPECT_EQ(range.most, kept);
        for (size_t count = range.fewest; count <= range.most; ++count) {
            EXPECT_EQ(ErrorOf(Entry(kind, count)), "no error") << count << " points";
        }
        EXPECT_NE(ErrorOf(Entry(kind, range.fewest - 1)), "no error");
        EXPECT_NE(ErrorOf(Entry(kind, range.most + 1)), "no error");
    }
    EXPECT_EQ(ShapeKindAnchorRange(26).most, 0u);  // not a kind
}

TEST_F(ShapesFileTest, MarkersFromOneClickDrawTheirLabelBesideThePoint) {
    qxindex::ShapeSet shapes = qxindex::ReadShapesJson(
        "[{\"kind\": \"QX_GRAPH_MARKER_PRICE\", \"points\": [{\"bar\": 5, \"price\": 11.25}]},"
        " {\"kind\": \"QX_GRAPH_MARKER_TEXT\", \"points\": [{\"bar\": 3, \"price\": 10.5}],"
        "  \"label\": {\"text\": \"note\", \"width\": 80}}]",
        "markers.json");
    ASSERT_EQ(shapes.Shapes().size(), 2u);
    const char* const texts[] = {"11.250", "note"};
    for (size_t i = 0; i < 2; ++i) {
        IQXGraphShapeBase* shape = shapes.Shapes()[i];
        shape->SetCoordinate(&m_coordinate);
        std::vector<QXGraphPoint> points;
        shape->GetPoints(points);
        shape->SetPoints(points);  // as the draw command does once the converter is there
        const std::vector<QXDrawInfo::GraphDrawInfo>& records = shape->GetGraphDrawInfo();
        ASSERT_EQ(records.size(), 1u);
        ASSERT_EQ(records[0].texts.size(), 1u);
        ASSERT_EQ(records[0].texts[0].items.size(), 1u);
        const QXDrawInfo::TextItem& item = records[0].texts[0].items[0];
        EXPECT_EQ(item.text, texts[i]);
        EXPECT_GT(item.position.position, i == 0 ? 5.0f : 3.0f);
        shape->SetCoordinate(nullptr);
    }
}

TEST_F(ShapesFileTest, MessageNamesTheCountsAKindTakes) {
    EXPECT_EQ(ErrorOf(Entry(1010, 0)),
              "tools.json: entry 0, field 'points': QX_GRAPH_MARKER_PRICE takes 1 to 2 points, "
              "found 0");
    EXPECT_EQ(ErrorOf(Entry(1, 3)),
              "tools.json: entry 0, field 'points': QX_GRAPH_LINE_SEGMENT takes 2 points, found 3");
    EXPECT_EQ(ErrorOf(Entry(9, 2)),
              "tools.json: entry 0, field 'points': QX_GRAPH_LINE_STRAIGHT_HORIZONTAL takes 1 "
              "point, found 2");
}

}  // namespace
