// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "console/programOptionsUnit.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

#include "console/versionUnit.h"

namespace {

constexpr const char* kProgramUsage =
    "Usage: korvex2 [Qt options, e.g. -platform NAME]\n"
    "       korvex2 --version | --help\n"
    "Korvex 2, the processor benchmark with windows (Russian). Its comparison reads the result\n"
    "files cpus/*.dat of the current folder. korvex2-console runs it without windows.\n";

// QGuiApplication's and QApplication's options, taken with one dash or two.
constexpr std::array<std::string_view, 13> kQtOptionsWithValue = {
    "platform",    "platformpluginpath", "platformtheme",
    "plugin",      "qmljsdebugger",      "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",
    "style",       "stylesheet",         "display",
    "geometry"};
constexpr std::array<std::string_view, 2> kQtFlags = {"reverse", "widgetcount"};
// The options Qt also takes as -name=value (-style=Fusion).
constexpr std::array<std::string_view, 3> kQtOptionsWithEquals = {"style", "stylesheet",
                                                                  "qmljsdebugger"};

bool listed(std::string_view name, std::span<const std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

int answerProgramOptions(int argc, char** argv, std::ostream& out, std::ostream& err) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help") {
            out << kProgramUsage;
            return 0;
        }
        if (argument == "--version") {
            out << versionLine("korvex2") << std::endl;
            return 0;
        }
        std::string_view name = argument;
        if (name.starts_with("--")) name.remove_prefix(1);
        if (name.starts_with('-')) name.remove_prefix(1);
        if (name.size() < argument.size() && listed(name, kQtOptionsWithValue) && i + 1 < argc) {
            ++i;
            continue;
        }
        if (name.size() < argument.size() && listed(name, kQtFlags)) continue;
        if (const std::size_t equals = name.find('=');
            name.size() < argument.size() && equals != name.npos &&
            listed(name.substr(0, equals), kQtOptionsWithEquals))
            continue;
        err << "korvex2: unknown option '" << argument << "' (korvex2 --help lists the options)"
            << std::endl;
        return 2;
    }
    return -1;
}
