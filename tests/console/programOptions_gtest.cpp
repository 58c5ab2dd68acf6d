#include "console/programOptionsUnit.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct Answer {
    int status;
    std::string out, err;
};

Answer answer(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "korvex2");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    std::ostringstream out, err;
    const int status = answerProgramOptions(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}

TEST(ProgramOptions, HelpAndVersionAnswerQtOptionsPassAndAnythingElseIsRefused) {
    EXPECT_EQ(answer({}).status, -1);
    EXPECT_EQ(answer({"-platform", "offscreen", "--style", "Fusion", "-reverse"}).status, -1);
    EXPECT_EQ(answer({"-style=Fusion", "--stylesheet=a.qss", "-qmljsdebugger=port:3768"}).status,
              -1);
    const Answer help = answer({"-platform", "xcb", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("korvex2 --version | --help"), std::string::npos);
    EXPECT_EQ(answer({"--version"}).out.rfind("korvex2 (Korvex 2) ", 0), 0u);

    for (const std::vector<std::string>& wrong : {std::vector<std::string>{"--bogus"},
                                                  {"-platform"},
                                                  {"cpus"},
                                                  {"-reverse", "reverse"},
                                                  {"-platform=xcb"},
                                                  {"style=Fusion"},
                                                  {"-reverse=1"}}) {
        const Answer refused = answer(wrong);
        EXPECT_EQ(refused.status, 2) << wrong.back();
        EXPECT_EQ(refused.err, "korvex2: unknown option '" + wrong.back() +
                                   "' (korvex2 --help lists the options)\n");
        EXPECT_EQ(refused.out, "");
    }
}

}  // namespace
