// The JSON API of `qxindex serve`, called directly as the page calls it over HTTP.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "tools/qxindex/serve/EditorPlace.h"
#include "tools/qxindex/serve/ServeApi.h"

namespace {

using Json = nlohmann::json;
using qxindex::Bar;
using qxindex::CChartSession;
using qxindex::CServeApi;
using qxindex::CsvBarSource;

constexpr const char* kMacd =
    "DIF:EMA(CLOSE,SHORT)-EMA(CLOSE,LONG);\nDEA:EMA(DIF,MID);\nMACD:(DIF-DEA)*2,COLORSTICK;";

class ServeApiTest : public ::testing::Test {
protected:
    ServeApiTest()
        : m_session(CsvBarSource::FromFile(std::string(QX_SOURCE_DIR) + "/data/aapl_2013_2018.csv"),
                    "aapl"),
          m_api(&m_session) {}

    Json Call(const std::string& method, const std::string& path, const Json& body = Json(),
              int expectedStatus = 200) {
        qxindex::ApiAnswer answer =
            m_api.Handle(method, path, body.is_null() ? std::string() : body.dump());
        EXPECT_EQ(answer.nStatus, expectedStatus) << method << " " << path << " " << answer.strBody;
        return Json::parse(answer.strBody);
    }

    Json SetView(int from, int to, int width = 1000, int height = 600) {
        return Call("POST", "/api/view",
                    {{"from", from}, {"to", to}, {"width", width}, {"height", height}});
    }

    Json SetMacd() {
        return Call("POST", "/api/formula",
                    {{"text", kMacd},
                     {"params",
                      {{{"name", "SHORT"}, {"value", 12}},
                       {{"name", "LONG"}, {"value", 26}},
                       {{"name", "MID"}, {"value", 9}}}}});
    }

    // A tool placed with one click per point along a rising zigzag over the plot
    // (the markers add their label point themselves and complete on one click).
    Json PlaceTool(const Json& kind, int points) {
        Json created = Call("POST", "/api/tools",
                            {{"kind", kind}, {"lineColor", "#e67e22"}, {"label", "Note"}}, 201);
        const int id = created["tool"]["id"];
        const Json plot = Call("GET", "/api/session")["chart"]["layout"]["price"]["plot"];
        Json answer;
        bool complete = false;
        for (int i = 0; i < points && !complete; ++i) {
            double share = (i + 1.0) / (points + 1.0);
            double x = plot["left"].get<double>() + share * plot["width"].get<double>();
            double y = plot["top"].get<double>() + (1.0 - share) * plot["height"].get<double>();
            y += (i % 2 == 1 ? 1.0 : -1.0) * (10.0 + 12.0 * i);  // no two legs parallel
            answer = Call("POST", "/api/tools/" + std::to_string(id) + "/mouse",
                          {{"event", "down"}, {"x", x}, {"y", y}});
            complete = answer["result"].get<bool>();
        }
        EXPECT_TRUE(complete) << kind;
        return answer["tool"];
    }

    // The state a refused request must leave alone.
    Json Snapshot() {
        Json session = Call("GET", "/api/session");
        return Json{{"view", session["view"]},
                    {"formula", session["formula"]},
                    {"tools", session["tools"]["list"]},
                    {"calculated", session["calculated"]}};
    }

    CChartSession m_session;
    CServeApi m_api;
};

TEST_F(ServeApiTest, BadRequestsAreRefusedAndChangeNothing) {
    SetView(1000, 1199);
    SetMacd();
    PlaceTool("QX_GRAPH_LINE_SEGMENT", 2);
    const Json before = Snapshot();
    struct Case {
        const char* method;
        const char* path;
        const char* body;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"POST", "/api/view", "{from", 400, "not valid JSON"},
        {"POST", "/api/view", "[1,2]", 400, "JSON object"},
        {"POST", "/api/view", R"({"from":10,"to":100,"width":800})", 400, "'height' is missing"},
        {"POST", "/api/view", R"({"from":100,"to":10,"width":800,"height":600})", 400, "bars"},
        {"POST", "/api/view", R"({"from":10,"to":12,"width":800,"height":600})", 400, "bars"},
        {"POST", "/api/view", R"({"from":1.5,"to":100,"width":800,"height":600})", 400, "whole"},
        {"POST", "/api/view", R"({"from":"1","to":100,"width":800,"height":600})", 400, "number"},
        {"POST", "/api/view", R"({"from":10,"to":99999,"width":800,"height":600})", 400, "'to'"},
        {"POST", "/api/view", R"({"from":10,"to":100,"width":100,"height":600})", 400, "'width'"},
        {"POST", "/api/view", R"({"from":10,"to":100,"width":800,"height":1e308})", 400,
         "'height'"},
        {"PUT", "/api/view", "{}", 405, "not allowed"},
        {"POST", "/api/formula", "{}", 400, "'text' is missing"},
        {"POST", "/api/formula", R"({"text":5})", 400, "string"},
        {"POST", "/api/formula", R"({"text":"A:C;","params":{}})", 400, "list"},
        {"POST", "/api/formula", R"({"text":"A:C;","params":[{"name":"N"}]})", 400, "params[0]"},
        {"POST", "/api/formula", R"({"text":"A:C;","params":[{"name":"","value":1}]})", 400,
         "empty"},
        {"POST", "/api/formula", R"({"text":"A:C;","params":[{"name":"N","value":1e300}]})", 400,
         "params[0].value"},
        {"POST", "/api/formula", R"({"text":"A:C;","overlay":"yes"})", 400, "true or false"},
        {"POST", "/api/tools", R"({"kind":"QX_GRAPH_NOTHING"})", 400, "unknown tool kind"},
        {"POST", "/api/tools", R"({"kind":10})", 400, "unknown tool kind"},
        {"POST", "/api/tools", R"({"kind":-1})", 400, "'kind'"},
        {"POST", "/api/tools", R"({"kind":1,"lineWidth":0})", 400, "'lineWidth'"},
        {"POST", "/api/tools", R"({"kind":1,"lineColor":"red"})", 400, "colour"},
        {"POST", "/api/tools", R"({"kind":1,"lineColor":"#12345g"})", 400, "colour"},
        {"POST", "/api/tools", R"({"kind":1,"lineStyle":9})", 400, "'lineStyle'"},
        {"PATCH", "/api/tools/1", R"({"lineWidth":"2"})", 400, "number"},
        {"PATCH", "/api/tools/77", R"({"lineWidth":2})", 404, "no tool 77"},
        {"DELETE", "/api/tools/abc", "", 404, "no tool"},
        {"DELETE", "/api/tools/99999999999", "", 404, "no tool"},
        {"POST", "/api/tools/1/mouse", R"({"event":"click","x":1,"y":1})", 400, "'event'"},
        {"POST", "/api/tools/1/mouse", R"({"event":"down","y":1})", 400, "'x' is missing"},
        {"POST", "/api/tools/1/mouse", R"({"event":"down","x":1e9,"y":1})", 400, "'x'"},
        {"POST", "/api/tools/1/mouse", R"({"event":"drag","x":1,"y":1})", 400, "'fromX'"},
        {"POST", "/api/tools/2/mouse", R"({"event":"down","x":1,"y":1})", 404, "no tool 2"},
        {"GET", "/api/tools/1/mouse", "", 405, "not allowed"},
        {"POST", "/api/pick", R"({"x":null,"y":1})", 400, "'x'"},
        {"DELETE", "/api/session", "", 405, "not allowed"},
        {"GET", "/api/nothing", "", 404, "no such"},
        {"GET", "/api", "", 404, "no such"},
    };
    for (const Case& c : cases) {
        qxindex::ApiAnswer answer = m_api.Handle(c.method, c.path, c.body);
        SCOPED_TRACE(std::string(c.method) + " " + c.path + " " + c.body);
        EXPECT_EQ(answer.nStatus, c.status);
        Json body = Json::parse(answer.strBody);
        EXPECT_NE(body["error"].get<std::string>().find(c.message), std::string::npos)
            << body["error"];
        EXPECT_EQ(Snapshot(), before);
    }
}

TEST_F(ServeApiTest, AParseErrorIsAnsweredWithItsPlaceAndKeepsTheFormulaDrawn) {
    SetView(1000, 1199);
    SetMacd();
    const Json before = Snapshot();
    // The zeros the library puts before signs shift its positions; the editor's
    // place is on the text as typed.
    const std::string text = "{ a comment }\nX:=-C+-O;\nY:MA(X,5)+*2;";
    Json answer = Call("POST", "/api/formula", {{"text", text}});
    ASSERT_FALSE(answer["ok"].get<bool>());
    const Json& error = answer["error"];
    EXPECT_GT(error["code"].get<int>(), 0);
    EXPECT_EQ(error["line"], 2);
    EXPECT_EQ(error["editorLine"], 2);
    const int column = error["editorColumn"];
    const std::string line = "Y:MA(X,5)+*2;";
    ASSERT_LT(column, static_cast<int>(line.size()));
    EXPECT_TRUE(line[column] == '+' || line[column] == '*') << column;
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(ServeApiTest, OddFormulasAreAnsweredWithoutHarm) {
    SetView(1000, 1199);
    const std::string texts[] = {
        std::string("A:C;\0B:O;", 10),
        std::string(60000, '('),
        "A:'unterminated",
        "A:'\xf0\x9f\x98\x80'+-Q;",  // not in GBK: handed over as UTF-8
        "\n\n\n",
        "DRAWTEXT(C>O,L,'\xe4\xb8\xad');",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.substr(0, 20));
        Json answer = Call("POST", "/api/formula", {{"text", text}});
        if (!answer["ok"].get<bool>()) {
            EXPECT_GE(answer["error"]["editorLine"].get<int>(), 0);
            EXPECT_GE(answer["error"]["editorColumn"].get<int>(), 0);
        }
    }
    // Not UTF-8 at all: the JSON itself is refused.
    EXPECT_EQ(m_api.Handle("POST", "/api/formula", "{\"text\":\"A:\xff;\"}").nStatus, 400);
}

TEST_F(ServeApiTest, EditorPlacesSkipTheInsertedZeros) {
    struct Case {
        const char* text;
        int position;  // in the library's normalised text
        int line;
        int column;
    };
    const Case cases[] = {
        {"A:C;", 2, 0, 2},
        {"A:-C;", 4, 0, 3},           // "a:0-c;": the C
        {"A:-C+-O;", 7, 0, 6},        // "a:0-c+-o;": the O (no zero after "+")
        {"A:C;\nB:-O+Q;", 11, 1, 5},  // "a:c;\nb:0-o+q;": the Q
        {"{x\n}A:C;\nZ", 9, 2, 0},    // the comment keeps its line feed
        {"A:C;", 99, 0, 4},           // beyond the end
        // "a:'中'0+-q;": a zero after the quote; the CJK character is two bytes in
        // GBK and one unit in the editor.
        {"A:'\xe4\xb8\xad'+-Q;", 9, 0, 7},
    };
    for (const Case& c : cases) {
        qxindex::EditorPlace place = qxindex::PlaceInEditor(c.text, c.position);
        EXPECT_EQ(place.nLine, c.line) << c.text;
        EXPECT_EQ(place.nColumn, c.column) << c.text;
    }
}

TEST_F(ServeApiTest, AnAcceptedFormulaIsDrawnInItsPanel) {
    SetView(1000, 1199);
    Json answer = SetMacd();
    ASSERT_TRUE(answer["ok"].get<bool>());
    EXPECT_EQ(answer["formula"]["outputs"].size(), 3u);
    EXPECT_EQ(answer["formula"]["params"][1]["name"], "long");  // the library lower-cases
    EXPECT_FALSE(answer["records"].empty());
    EXPECT_FALSE(answer["chart"]["layout"]["indicator"].is_null());
    const std::string svg = answer["chart"]["svg"];
    EXPECT_EQ(svg.rfind("<svg", 0), 0u) << "no XML declaration inline";
    EXPECT_NE(svg.find("indicator-panel"), std::string::npos);

    answer = Call("POST", "/api/formula", {{"text", "M:MA(CLOSE,20);"}, {"overlay", true}});
    EXPECT_TRUE(answer["chart"]["layout"]["indicator"].is_null());
    answer = Call("DELETE", "/api/formula");
    EXPECT_TRUE(answer["formula"].is_null());
    EXPECT_TRUE(answer["records"].empty());
}

TEST_F(ServeApiTest, PansAndZoomsExtendTheCalculationInsteadOfStartingOver) {
    // A moving average warms up over at most 500 bars before the view.
    SetView(1000, 1199);
    Json calculated = Call("POST", "/api/formula", {{"text", "M:MA(CLOSE,5);"}})["calculated"];
    EXPECT_EQ(calculated, Json({{"first", 500}, {"last", 1199}}));
    struct Step {
        int from, to;     // the view
        int first, last;  // the calculated window after it
    };
    const Step steps[] = {
        {1020, 1219, 500, 1219},  // later bars: grows at the end
        {950, 1100, 500, 1219},   // inside: nothing new
        {300, 499, 0, 1219},      // earlier bars: grows at the start, keeps the end
        {1100, 1259, 0, 1259},    // up to the last bar: still no fresh start
    };
    for (const Step& step : steps) {
        Json answer = SetView(step.from, step.to);
        SCOPED_TRACE(std::to_string(step.from) + ".." + std::to_string(step.to));
        EXPECT_EQ(answer["calculated"]["first"], step.first);
        EXPECT_EQ(answer["calculated"]["last"], step.last);
        EXPECT_FALSE(answer["records"].empty());
    }
}

TEST_F(ServeApiTest, ToolAnchorsStayOnTheDataWhenTheViewMoves) {
    SetView(1000, 1199, 1000, 600);
    Json tool = PlaceTool(1, 2);
    ASSERT_TRUE(tool["complete"].get<bool>());
    const Json points = tool["points"];
    const double x0 = tool["pixels"][0]["x"];

    Json moved = SetView(1010, 1209, 1000, 600);
    const Json& after = moved["tools"]["list"][0];
    EXPECT_EQ(after["points"], points);
    const Json& price = moved["chart"]["layout"]["price"];
    const double ppb = price["plot"]["width"].get<double>() / 200.0;
    EXPECT_NEAR(after["pixels"][0]["x"].get<double>(), x0 - 10 * ppb, 0.01);
    EXPECT_NE(moved["tools"]["svg"].get<std::string>().find("tool-1"), std::string::npos);
}

TEST_F(ServeApiTest, PickingAndDraggingMoveTheWholeToolOrOneAnchor) {
    SetView(1000, 1199, 1000, 600);
    Json tool = PlaceTool("QX_GRAPH_LINE_SEGMENT", 2);
    const double ax = tool["pixels"][0]["x"], ay = tool["pixels"][0]["y"];
    const double bx = tool["pixels"][1]["x"], by = tool["pixels"][1]["y"];

    Json pick = Call("POST", "/api/pick", {{"x", (ax + bx) / 2}, {"y", (ay + by) / 2 + 3}});
    EXPECT_EQ(pick["id"], 1);
    EXPECT_EQ(pick["anchor"], -1);
    EXPECT_TRUE(Call("POST", "/api/pick", {{"x", ax}, {"y", ay + 60}})["id"].is_null());
    EXPECT_EQ(Call("POST", "/api/pick", {{"x", bx + 2}, {"y", by - 2}})["anchor"], 1);

    // The body: both anchors move by the same bars.
    const double mx = (ax + bx) / 2, my = (ay + by) / 2;
    Call("POST", "/api/tools/1/mouse", {{"event", "down"}, {"x", mx}, {"y", my}});
    tool =
        Call("POST", "/api/tools/1/mouse",
             {{"event", "drag"}, {"fromX", mx}, {"fromY", my}, {"x", mx + 50}, {"y", my}})["tool"];
    EXPECT_NEAR(tool["pixels"][0]["x"].get<double>(), ax + 50, 0.05);
    EXPECT_NEAR(tool["pixels"][1]["x"].get<double>(), bx + 50, 0.05);
    EXPECT_NEAR(tool["pixels"][1]["y"].get<double>(), by, 0.05);

    // One anchor: the other stays.
    Call("POST", "/api/tools/1/mouse", {{"event", "down"}, {"x", bx + 50}, {"y", by}});
    tool = Call(
        "POST", "/api/tools/1/mouse",
        {{"event", "drag"}, {"fromX", bx + 50}, {"fromY", by}, {"x", bx}, {"y", by + 40}})["tool"];
    EXPECT_EQ(tool["selectedPoint"], 1);
    EXPECT_NEAR(tool["pixels"][0]["x"].get<double>(), ax + 50, 0.05);
    EXPECT_NEAR(tool["pixels"][1]["y"].get<double>(), by + 40, 0.05);
}

TEST_F(ServeApiTest, EveryPaletteKindPlacesAndDraws) {
    SetView(1000, 1199, 1000, 600);
    const Json palette = Call("GET", "/api/session")["palette"];
    EXPECT_EQ(palette.size(), 38u);
    for (const Json& kind : palette) {
        Json tool = PlaceTool(kind["kind"], kind["points"]);
        SCOPED_TRACE(kind["name"].get<std::string>());
        EXPECT_TRUE(tool["complete"].get<bool>());
        EXPECT_GE(tool["points"].size(), kind["points"].get<size_t>());
        EXPECT_FALSE(tool["records"].empty());
    }
    Json tools = Call("GET", "/api/tools")["tools"];
    EXPECT_EQ(tools["list"].size(), 38u);
    // Moving and resizing keeps every tool drawable.
    SetView(-100, 700, 1400, 900);
    const Json listed = Call("GET", "/api/tools");
    for (const Json& tool : listed["tools"]["list"]) {
        EXPECT_FALSE(tool["records"].empty());
    }
}

TEST_F(ServeApiTest, PlacingFollowsTheMouseAndDeletingForgetsTheTool) {
    Json created = Call("POST", "/api/tools", {{"kind", "QX_GRAPH_LINE_RAY"}}, 201);
    EXPECT_FALSE(created["tool"]["complete"].get<bool>());
    Call("POST", "/api/tools/1/mouse", {{"event", "down"}, {"x", 300}, {"y", 300}});
    Json moving = Call("POST", "/api/tools/1/mouse", {{"event", "move"}, {"x", 420}, {"y", 200}});
    EXPECT_FALSE(moving["tool"]["complete"].get<bool>());
    EXPECT_FALSE(moving["tool"]["records"].empty()) << "drawn up to the mouse while placing";

    Json patched = Call("PATCH", "/api/tools/1", {{"lineColor", "#00ff00"}, {"lineWidth", 3}});
    EXPECT_EQ(patched["tool"]["lineColor"], "#00ff00");
    EXPECT_EQ(patched["tool"]["lineWidth"], 3);

    Json deleted = Call("DELETE", "/api/tools/1");
    EXPECT_EQ(deleted["deleted"], 1);
    EXPECT_TRUE(deleted["tools"]["list"].empty());
    Call("DELETE", "/api/tools/1", Json(), 404);
}

TEST_F(ServeApiTest, MagnetAndAngleSnapReachTheConverterAndTheShapes) {
    Json answer =
        Call("POST", "/api/view",
             {{"from", 1000}, {"to", 1199}, {"width", 1000}, {"height", 600}, {"magnet", true}});
    EXPECT_TRUE(answer["view"]["magnet"].get<bool>());
    const Json& price = answer["chart"]["layout"]["price"];
    const double left = price["plot"]["left"], top = price["plot"]["top"];
    const double ppb = price["plot"]["width"].get<double>() / 200.0;
    const double ppv = price["plot"]["height"].get<double>() /
                       (price["max"].get<double>() - price["min"].get<double>());
    const auto pixelY = [&](double value) {
        return top + (price["max"].get<double>() - value) * ppv;
    };
    const Bar& bar = m_session.Bars().Bars()[1100];
    // Three pixels above the high of bar 1100, a little off its centre.
    Call("POST", "/api/tools", {{"kind", "QX_GRAPH_LINE_STRAIGHT_HORIZONTAL"}}, 201);
    Json tool =
        Call("POST", "/api/tools/1/mouse",
             {{"event", "down"}, {"x", left + 100.2 * ppb}, {"y", pixelY(bar.high) - 3}})["tool"];
    EXPECT_EQ(tool["points"][0]["bar"], 1100);
    EXPECT_EQ(tool["points"][0]["price"], bar.high);
    // The magnet stays on until a view says otherwise.
    EXPECT_TRUE(SetView(1000, 1199, 1000, 600)["view"]["magnet"].get<bool>());

    Call("POST", "/api/view",
         {{"from", 1000}, {"to", 1199}, {"width", 1000}, {"height", 600}, {"magnet", false}});
    Call("POST", "/api/tools", {{"kind", 1}, {"angleSnap", true}}, 201);
    // The library snaps an anchor that is dragged.
    Call("POST", "/api/tools/2/mouse", {{"event", "down"}, {"x", 300}, {"y", 400}});
    Call("POST", "/api/tools/2/mouse", {{"event", "down"}, {"x", 350}, {"y", 350}});
    Call("POST", "/api/tools/2/mouse", {{"event", "down"}, {"x", 350}, {"y", 350}});
    tool =
        Call("POST", "/api/tools/2/mouse",
             {{"event", "drag"}, {"fromX", 350}, {"fromY", 350}, {"x", 400}, {"y", 310}})["tool"];
    EXPECT_TRUE(tool["angleSnap"].get<bool>());
    const double dx = tool["pixels"][1]["x"].get<double>() - 300;
    const double dy = tool["pixels"][1]["y"].get<double>() - 400;
    EXPECT_NEAR(dx, -dy, 0.05) << "45 degrees";
    EXPECT_NEAR(std::hypot(dx, dy), std::sqrt(18100.0), 0.05);
}

TEST_F(ServeApiTest, TheBoardHasALimit) {
    for (size_t i = 0; i < qxindex::kMaxTools; ++i) {
        ASSERT_EQ(m_api.Handle("POST", "/api/tools", R"({"kind":9})").nStatus, 201);
    }
    qxindex::ApiAnswer answer = m_api.Handle("POST", "/api/tools", R"({"kind":9})");
    EXPECT_EQ(answer.nStatus, 409);
    Call("DELETE", "/api/tools/1");
    EXPECT_EQ(m_api.Handle("POST", "/api/tools", R"({"kind":9})").nStatus, 201);
}

}  // namespace
