// qxindex: the library's host tool. It reads formulas and bars the way a charting
// client would hand them over, and prints what the library makes of them.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "tools/qxindex/Commands.h"
#include "tools/qxindex/FormulaSource.h"

namespace {

// The bundled bars and formulas: beside the current folder when run from the
// repository, else where an installed tool keeps them (../share/qxindex from the
// executable, wherever the package was unpacked), else where it was built from.
std::string DemoRoot() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    std::string installed =
        error ? std::string() : (exe.parent_path().parent_path() / "share/qxindex").string();
    for (const std::string& root : {std::string("."), installed, std::string(QX_SOURCE_DIR)}) {
        std::ifstream probe(root + "/data/aapl_2013_2018.csv");
        if (!root.empty() && probe) return root;
    }
    return ".";
}

// What every subcommand shares, after the list of subcommands.
const char* const kHelpFooter =
    "FORMULA is a file, '-' for standard input, or -e TEXT. A formula file may begin with\n"
    "a comment {params: N=12, M=26} giving its parameters' default values; --param\n"
    "NAME=VALUE overrides one.\n"
    "\n"
    "BARS.csv has the header date,open,high,low,close,volume[,amount], oldest bar first;\n"
    "dates are YYYY-MM-DD or YYYY-MM-DD HH:MM[:SS] in local time.\n"
    "\n"
    "Exit status: 0 success, 1 the library reported an error in the formula, 2 a usage\n"
    "or file error.\n"
    "\n"
    "Examples:\n"
    "  qxindex                      draw the demo chart into qxindex-demo.svg\n"
    "  qxindex check examples/macd.txt\n"
    "  qxindex calc -e 'MA5:MA(CLOSE,5);' --bars data/aapl_2013_2018.csv --from 1500\n"
    "  qxindex scan -e 'MA20:MA(C,20); UP:CROSS(C,MA20);' data/ --jobs 2\n"
    "  qxindex draw examples/ma_cross.txt --bars data/aapl_2013_2018.csv --overlay -o ma.svg\n"
    "\n"
    "Each subcommand has its own --help; the manual page is qxindex(1).";

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "qxindex - try indicator formulas and drawing tools on price bars.\n"
        "Run without arguments to draw the demo chart into qxindex-demo.svg."};
    app.require_subcommand(1);
    app.footer(kHelpFooter);
    app.set_version_flag("--version", QX_VERSION);
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
    qxindex::AddScanCommand(app, &exitCode);
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
