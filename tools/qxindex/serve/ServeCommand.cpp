// qxindex serve: the chart in a browser. Formulas are typed and drawing tools
// placed on a page that this tool serves; the library does the work behind a
// small JSON API. Only this machine can reach it unless --host says otherwise.
#include <pthread.h>
#include <signal.h>

#include <iostream>
#include <memory>
#include <thread>

#include "tools/qxindex/Commands.h"
#include "tools/qxindex/CsvBarSource.h"
#include "tools/qxindex/FormulaSource.h"
#include "tools/qxindex/serve/ChartSession.h"
#include "tools/qxindex/serve/HttpServer.h"
#include "tools/qxindex/serve/ServeApi.h"

namespace qxindex {
namespace {

struct ServeOptions {
    std::string bars;
    std::string host = "127.0.0.1";
    int port = 8080;
};

int RunServe(const ServeOptions& options) {
    CsvBarSource bars = [&]() {
        try {
            return CsvBarSource::FromFile(options.bars);
        } catch (const CsvError& e) {
            throw UsageError{e.message};
        }
    }();
    if (bars.Bars().empty()) throw UsageError{"'" + options.bars + "' holds no bars"};
    const size_t slash = options.bars.find_last_of('/');
    CChartSession session(std::move(bars), slash == std::string::npos
                                               ? options.bars
                                               : options.bars.substr(slash + 1));
    CServeApi api(&session);
    CHttpServer server(&api);

    // Ctrl-C and SIGTERM are taken by a thread of their own, which stops the
    // server; the server's threads inherit the blocked mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    if (!server.Bind(options.host, options.port)) {
        throw UsageError{"cannot listen on " + options.host + ":" + std::to_string(options.port)};
    }
    std::thread waiter([&]() {
        int signal = 0;
        sigwait(&signals, &signal);
        server.Stop();
    });
    std::cout << "qxindex serve: http://" << options.host << ":" << server.Port() << "/ ("
              << session.Bars().Bars().size() << " bars from " << options.bars << "); Ctrl-C stops"
              << std::endl;
    const bool ok = server.Run();
    // Wake the waiter if the server ended by itself.
    pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    return ok ? kExitOk : kExitUsage;
}

}  // namespace

void AddServeCommand(CLI::App& app, int* exitCode) {
    auto options = std::make_shared<ServeOptions>();
    CLI::App* cmd = app.add_subcommand(
        "serve",
        "Serve an interactive chart on this machine: write formulas and place drawing tools "
        "in a browser, with the library doing the work");
    cmd->add_option("--bars", options->bars,
                    "Bars as CSV: date,open,high,low,close,volume[,amount]")
        ->type_name("BARS.csv")
        ->required();
    cmd->add_option("--port", options->port, "Port to listen on (default 8080; 0 picks a free one)")
        ->type_name("PORT")
        ->check(CLI::Range(0, 65535));
    cmd->add_option("--host", options->host,
                    "Address to listen on (default 127.0.0.1, this machine only)")
        ->type_name("ADDRESS");
    cmd->footer(
        "Then open http://127.0.0.1:8080/ in a browser. Stop with Ctrl-C.\n"
        "Example:\n"
        "  qxindex serve --bars data/aapl_2013_2018.csv --port 8080");
    cmd->callback([options, exitCode]() { *exitCode = RunServe(*options); });
}

}  // namespace qxindex
