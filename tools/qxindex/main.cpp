// qxindex: the library's host tool. It reads formulas and bars the way a charting
// client would hand them over, and prints what the library makes of them.
#include <iostream>

#include "tools/qxindex/Commands.h"
#include "tools/qxindex/FormulaSource.h"

int main(int argc, char** argv) {
    CLI::App app{"qxindex - try indicator formulas and drawing tools on price bars"};
    app.require_subcommand(1);
    int exitCode = qxindex::kExitOk;
    qxindex::AddTokensCommand(app, &exitCode);
    qxindex::AddCheckCommand(app, &exitCode);
    qxindex::AddCalcCommand(app, &exitCode);
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
