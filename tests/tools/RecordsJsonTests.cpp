#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "ChartFixtures.h"
#include "tools/qxindex/chart/RecordsJson.h"

namespace {

using namespace chart_fixtures;
using Json = nlohmann::ordered_json;

std::vector<std::string> Keys(const Json& object) {
    std::vector<std::string> keys;
    for (auto it = object.begin(); it != object.end(); ++it) keys.push_back(it.key());
    return keys;
}

TEST(RecordsJson, EveryFieldInTheRecordsOrder) {
    std::vector<GraphDrawInfo> pictures = {PriceRecords(), GraphDrawInfo{}};
    Json json = qxindex::RecordsToJson(pictures);
    ASSERT_EQ(json.size(), 2u);
    const Json& price = json[0];
    using Names = std::vector<std::string>;
    EXPECT_EQ(Keys(price), (Names{"drawOrder", "curves", "rectangles", "ellipses", "crosses",
                                  "texts", "icons"}));
    EXPECT_EQ(Keys(price["curves"][0]),
              (Names{"lineWidth", "lineStyle", "fillStyle", "lineColor", "fillColor", "items"}));
    EXPECT_EQ(Keys(price["rectangles"][0]),
              (Names{"lineWidth", "lineStyle", "fillStyle", "lineColor", "fillColor",
                     "rectangleType", "items"}));
    EXPECT_EQ(Keys(price["crosses"][0]), (Names{"lineWidth", "lineStyle", "color", "items"}));
    EXPECT_EQ(Keys(price["icons"][0]), (Names{"iconId", "items"}));

    const GraphDrawInfo& info = pictures[0];
    ASSERT_EQ(price["drawOrder"].size(), info.drawOrder.size());
    for (size_t i = 0; i < info.drawOrder.size(); ++i) {
        EXPECT_EQ(price["drawOrder"][i].get<int64_t>(), info.drawOrder[i]);
    }
    EXPECT_EQ(price["curves"].size(), info.curves.size());
    EXPECT_EQ(price["rectangles"][0]["rectangleType"], 1);
    EXPECT_EQ(price["curves"][2]["items"][0]["extendEnd"], true);
    EXPECT_EQ(price["curves"][3]["items"][0]["extendStart"], true);
    // Floats show the decimal they were made from.
    EXPECT_EQ(price["rectangles"][0]["items"][0]["first"].dump(),
              R"({"value":11.9,"position":14.65})");
    EXPECT_EQ(price["ellipses"][1]["items"][0].dump(),
              R"([{"value":11.0,"position":4.5},{"value":11.0,"position":7.5},)"
              R"({"value":11.5,"position":6.0}])");
    // A text record, field by field, with the GBK text as UTF-8.
    EXPECT_EQ(price["texts"][0].dump(),
              R"({"fontSize":12.0,"mode":0,"textColor":{"colorId":7,"value":0,"byValue":false},)"
              R"("fontName":"","items":[{"position":{"value":9.5,"position":1.0},"flags":0,)"
              R"("offset":{"value":0.0,"position":0.0},"text":"买入"},)"
              R"({"position":{"value":13.6,"position":11.0},"flags":0,)"
              R"("offset":{"value":0.0,"position":0.0},"text":"卖出"}],)"
              R"("secondColor":{"colorId":0,"value":0,"byValue":true},)"
              R"("fillColor":{"colorId":0,"value":0,"byValue":true},"extra":0,"style":18})");
    EXPECT_EQ(json[1].dump(),
              R"({"drawOrder":[],"curves":[],"rectangles":[],"ellipses":[],"crosses":[],)"
              R"("texts":[],"icons":[]})");
}

TEST(RecordsJson, InvalidValuesAndBytesStillDump) {
    GraphDrawInfo info;
    GraphDrawInfoBuilder b(&info);
    int64_t curve =
        b.AddCurve(QXDrawInfo::GetCurve(GetColorByValue(0xFF3D3DFF), 1.0f, LINE_STYLE_SOLID));
    b.AddCurveSegment(curve, Points({{std::numeric_limits<double>::quiet_NaN(), 1}}), false, false);
    int64_t text = b.AddText(QXDrawInfo::GetText(GetColorByID(COLOR_ID_TEXT), 12.0f, 0, "", 0));
    b.AddTextItem(text, {1, 1}, "\xff", 0, {0, 0});
    Json json = qxindex::PictureToJson(info);
    EXPECT_TRUE(json["curves"][0]["items"][0]["points"][0]["value"].is_null());
    EXPECT_EQ(json["curves"][0]["lineColor"]["value"], static_cast<int>(0xFF3D3DFF));
    std::string text_ = qxindex::DumpRecordsJson({info});
    EXPECT_NE(text_.find("\"value\": null"), std::string::npos);
    EXPECT_NE(text_.find("\"text\": \"\\\\xff\""), std::string::npos) << text_;
}

}  // namespace
