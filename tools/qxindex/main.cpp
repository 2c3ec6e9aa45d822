// qxindex: the library's host tool. It reads formulas and bars the way a charting
// client would hand them over, and prints what the library makes of them.
#include <fstream>
#include <iostream>

#include "tools/qxindex/Commands.h"
#include "tools/qxindex/FormulaSource.h"

namespace {

// The bundled bars and formulas: beside the current folder when run from the
// repository, else where the tool was built from.
std::string DemoRoot() {
    std::ifstream probe("data/aapl_2013_2018.csv");
    return probe ? std::string(".") : std::string(QX_SOURCE_DIR);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "qxindex - try indicator formulas and drawing tools on price bars.\n"
        "Run without arguments to draw the demo chart into qxindex-demo.svg."};
    app.require_subcommand(1);
    int exitCode = qxindex::kExitOk;
    if (argc == 1) {
        try {
            return qxindex::RunDemo(DemoRoot());
        } catch (const qxindex::UsageError& e) {
            std::cerr << "qxindex: " << e.message << "\n";
            return qxindex::kExitUsage;
        }
    }
    qxindex::AddTokensCommand(app, &exitCode);
    qxindex::AddCheckCommand(app, &exitCode);
    qxindex::AddCalcCommand(app, &exitCode);
    qxindex::AddDrawCommand(app, &exitCode);
    qxindex::AddServeCommand(app, &exitCode);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int rc = app.exit(e);
        return rc == 0 ? qxindex::kExitOk : qxindex::kExitUsage;
    } catch (const qxindex::UsageError& e) {
        std::cerr << "qxindex: " << e.message << "\n";
        return qxindex::kExitUsage;
    } catch (const std::exception& e) {
        std::cerr << "qxindex: " << e.what() << "\n";
        return qxindex::kExitUsage;
    }
    return exitCode;
}
