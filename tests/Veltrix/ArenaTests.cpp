// The match runner as a program: its script mode, its self-play mode, and how
// it refuses bad arguments and rules files. Other tools read its output, so its
// lines and exit codes are part of its interface.

#include "RulesTestSupport.h"

#include "Veltrix/GameEnd.h"
#include "Veltrix/SelfPlay.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <sys/wait.h>

using namespace Veltrix;
using RulesTest::TempFile;

namespace {

struct ArenaRun {
    int status = -1;
    std::vector<std::string> lines;  // standard output
    std::string err;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

ArenaRun arena(const std::string& arguments) {
    TempFile out("", "out.txt");
    TempFile err("", "err.txt");
    const std::string command = std::string("cd '") + VX_GAME_DIR + "' && '" + VX_BIN_DIR +
                                "/veltrix-arena' " + arguments + " > '" + out.path() + "' 2> '" +
                                err.path() + "'";
    const int raw = std::system(command.c_str());
    ArenaRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::istringstream lines(slurp(out.path()));
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line.front() == '{') run.lines.push_back(line);
    run.err = slurp(err.path());
    return run;
}

bool has(const std::string& line, const std::string& part) {
    return line.find(part) != std::string::npos;
}

}  // namespace

TEST(Arena, Script_MovesErrorsAndTheEndLine) {
    TempFile script(
        "# a comment, then a blank line\n\n0 0 1 0\n0 0 1 0\n1 5 0 0\n1 0 -1 "
        "0\nai\nai\nnonsense\n");
    const ArenaRun run = arena("--script '" + script.path() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 1u + 4u + 3u + 1u);
    EXPECT_EQ(
        run.lines[0].rfind(
            "{\"event\":\"start\",\"state\":{\"moves\":0,\"current\":0,\"players\":[{\"id\":0,", 0),
        0u)
        << run.lines[0];
    EXPECT_TRUE(
        has(run.lines[1],
            "{\"event\":\"move\",\"n\":0,\"player\":0,\"ant\":0,\"dir\":[1,0],\"outcome\":{"));
    EXPECT_TRUE(
        has(run.lines[1], "\"ants\":[{\"id\":0,\"x\":1,\"y\":5,\"movesLeft\":39,\"dead\":false"));
    EXPECT_TRUE(has(run.lines[1], "\"gameOver\":false}"));
    EXPECT_EQ(run.lines[2],
              "{\"event\":\"error\",\"line\":4,\"message\":\"wrong player wants to move\"}");
    EXPECT_EQ(run.lines[3],
              "{\"event\":\"error\",\"line\":5,\"message\":\"invalid map<K, T> key\"}");
    EXPECT_TRUE(has(run.lines[4], "\"n\":1,\"player\":1,\"ant\":0,\"dir\":[-1,0]"));
    EXPECT_TRUE(has(run.lines[5], "\"n\":2,\"player\":0"));
    EXPECT_TRUE(has(run.lines[6], "\"n\":3,\"player\":1"));
    EXPECT_TRUE(
        has(run.lines[7], "{\"event\":\"error\",\"line\":9,\"message\":\"cannot read script line"));
    EXPECT_TRUE(
        has(run.lines[8],
            "{\"event\":\"end\",\"moves\":4,\"isOver\":false,\"gameOver\":false,\"scores\":["));
    EXPECT_TRUE(has(run.lines[1], "\"portals\":[[4,2,"));
    EXPECT_TRUE(has(run.lines[1], "\"knowledge\":[[[0,0,0,0,0,0],"));
}

TEST(Arena, SelfPlay_SameGamesAsTheLibrary) {
    const ArenaRun run = arena("--games 3 --seed 5");
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 4u);
    const RuleOptions o(RulesTest::shippedRules());
    GameRandom random(5);
    for (int n = 0; n < 3; ++n) {
        const Referee r = VX3D::playComputerGame(o, random);
        std::ostringstream expected;
        expected << "{\"event\":\"game\",\"n\":" << n << ",\"moves\":" << r.movesMade()
                 << ",\"scores\":[" << r.state.players.at(0).score << ","
                 << r.state.players.at(1).score << "],\"winner\":" << gameWinner(r.state) << "}";
        EXPECT_EQ(run.lines[static_cast<std::size_t>(n)], expected.str());
    }
    EXPECT_TRUE(has(run.lines[3], "{\"event\":\"summary\",\"games\":3,\"wins\":[")) << run.lines[3];
    EXPECT_TRUE(has(run.lines[3], "\"gamesPerSecond\":"));

    // Without --games the rules file's gamesPerMatch (5) applies.
    EXPECT_EQ(arena("").lines.size(), 6u);
}

TEST(Arena, ScriptFromStandardInput_MatchesTheLibrary) {
    const ArenaRun run = arena("--seed 9 --script - < /dev/null");
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 2u);
    EXPECT_EQ(
        run.lines[1],
        "{\"event\":\"end\",\"moves\":0,\"isOver\":false,\"gameOver\":false,\"scores\":[0,0]}");
}

TEST(Arena, BadArgumentsAndRules_ExitTwoWithOneLine) {
    for (const std::string arguments :
         {"--frobnicate", "--seed", "--seed -3", "--games x", "--games -1"}) {
        const ArenaRun run = arena(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_TRUE(has(run.err, "veltrix-arena: ")) << run.err;
    }
    ArenaRun run = arena("--rules /nonexistent/VX.conf");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "veltrix-arena: cannot read rules file '/nonexistent/VX.conf'\n");

    TempFile broken("Problem.Veltrix.fieldWidth=wide\nProblem.Veltrix.noOfPortals=0\n");
    run = arena("--rules '" + broken.path() + "'");
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(has(run.err, "Problem.Veltrix.fieldWidth")) << run.err;
    EXPECT_TRUE(has(run.err, broken.path())) << run.err;

    run = arena("--script /nonexistent/script");
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(has(run.err, "/nonexistent/script")) << run.err;
}
