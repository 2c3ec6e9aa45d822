// `qxindex serve` over a real socket on the loopback address: the page, the API
// and the refusal of oversized bodies.
#include <gtest/gtest.h>
#include <httplib.h>

#include <string>
#include <thread>

#include "tools/qxindex/serve/HttpServer.h"

namespace {

using qxindex::CChartSession;
using qxindex::CHttpServer;
using qxindex::CServeApi;
using qxindex::CsvBarSource;

TEST(ServeHttpTest, ServesThePageAndTheApiOnLoopback) {
    CChartSession session(
        CsvBarSource::FromFile(std::string(QX_SOURCE_DIR) + "/data/aapl_2013_2018.csv"), "aapl");
    CServeApi api(&session);
    CHttpServer server(&api);
    ASSERT_TRUE(server.Bind("127.0.0.1", 0));
    ASSERT_GT(server.Port(), 0);
    std::thread runner([&]() { server.Run(); });
    // A second server cannot share the port.
    CHttpServer second(&api);
    EXPECT_FALSE(second.Bind("127.0.0.1", server.Port()));

    httplib::Client client("127.0.0.1", server.Port());
    client.set_read_timeout(10, 0);
    auto page = client.Get("/");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->body.find("<script src=\"/app.js\">"), std::string::npos);
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
    for (const char* asset : {"/app.js", "/style.css"}) {
        auto answer = client.Get(asset);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, 200) << asset;
        EXPECT_GT(answer->body.size(), 1000u) << asset;
    }
    auto missing = client.Get("/secret.txt");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);

    auto sessionAnswer = client.Get("/api/session");
    ASSERT_TRUE(sessionAnswer);
    EXPECT_EQ(sessionAnswer->status, 200);
    EXPECT_EQ(sessionAnswer->get_header_value("Content-Type"), "application/json");

    auto refused = client.Post("/api/view", "{\"from\":1}", "application/json");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 400);

    std::string huge(qxindex::kMaxRequestBytes + 10, ' ');
    auto oversized = client.Post("/api/formula", huge, "application/json");
    ASSERT_TRUE(oversized);
    EXPECT_EQ(oversized->status, 413);

    server.Stop();
    runner.join();
}

}  // namespace
