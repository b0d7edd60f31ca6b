// Reading the rules file: defaults, the two passes with their indexed keys, the
// help output, the options library's errors, and the values the engine refuses
// because it could not play with them. A wrong rule option changes every game.

#include "RulesTestSupport.h"

#include "Veltrix/RuleOptions.h"

#include <gtest/gtest.h>

#include <boost/program_options/errors.hpp>

using namespace Veltrix;
using RulesTest::TempFile;

namespace {

std::string logicError(const std::string& content) {
    TempFile file(content);
    try {
        RuleOptions o(file.path());
    } catch (const std::logic_error& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(RuleOptions, Defaults_FileWithoutPortals) {
    TempFile file("Problem.Veltrix.noOfPortals=0\n");
    const RuleOptions o(file.path());
    EXPECT_EQ(o.fieldWidth, 20);
    EXPECT_EQ(o.fieldHeight, 13);
    EXPECT_EQ(o.movesPerAnt, 40);
    EXPECT_EQ(o.foodPieces, 32);
    EXPECT_EQ(o.players, 2);
    EXPECT_EQ(o.antsPerPlayer, 2);
    EXPECT_EQ(o.antVisibilityRadius, 2);
    EXPECT_EQ(o.battleRounds, 5);
    EXPECT_EQ(o.gamesPerMatch, 5);
    EXPECT_EQ(o.noOfPortals, 0);
    const std::vector<std::vector<Position>> starts{{{0, 5}, {0, 7}}, {{19, 5}, {19, 7}}};
    EXPECT_EQ(o.startPositions, starts);
    EXPECT_TRUE(o.portalLeft.empty());
    EXPECT_TRUE(o.portalRight.empty());
}

TEST(RuleOptions, MissingPortalKey_RaisesRequiredOption) {
    // An empty or missing file leaves the three default portals without cells.
    TempFile empty("");
    EXPECT_THROW(RuleOptions{empty.path()}, boost::program_options::required_option);
    EXPECT_THROW(RuleOptions{"/nonexistent/VX.conf"}, boost::program_options::required_option);
    std::string keys = RulesTest::portalKeys();
    keys.erase(keys.find("Problem.Veltrix.portalPos_p2ry"));
    TempFile partial(keys);
    try {
        RuleOptions o(partial.path());
        FAIL() << "no error for a missing portal key";
    } catch (const boost::program_options::required_option& e) {
        EXPECT_NE(std::string(e.what()).find("Problem.Veltrix.portalPos_p2ry"), std::string::npos)
            << e.what();
    }
}

TEST(RuleOptions, IndexedKeys_FollowTheCountsOfTheFirstPass) {
    TempFile three(
        "Problem.Veltrix.players=3\nProblem.Veltrix.noOfPortals=1\n"
        "Problem.Veltrix.startPosition_p2a0x=10\nProblem.Veltrix.startPosition_p2a0y=3\n"
        "Problem.Veltrix.startPosition_p1a1y=8\n"
        "Problem.Veltrix.portalPos_p0lx=3\nProblem.Veltrix.portalPos_p0ly=4\n"
        "Problem.Veltrix.portalPos_p0rx=16\nProblem.Veltrix.portalPos_p0ry=9\n"
        "Some.Other.setting=yes\n");
    const RuleOptions o(three.path());
    ASSERT_EQ(o.startPositions.size(), 3u);
    EXPECT_EQ(o.startPositions[2][0], (Position{10, 3}));
    EXPECT_EQ(o.startPositions[2][1], (Position{0, 0}));  // no default beyond the first two players
    EXPECT_EQ(o.startPositions[1][1], (Position{19, 8}));
    EXPECT_EQ(o.portalLeft, (std::vector<Position>{{3, 4}}));
    EXPECT_EQ(o.portalRight, (std::vector<Position>{{16, 9}}));

    // With two players the keys of player 2 are unknown and ignored.
    TempFile two("Problem.Veltrix.noOfPortals=0\nProblem.Veltrix.startPosition_p2a0x=10\n");
    EXPECT_EQ(RuleOptions(two.path()).startPositions.size(), 2u);
}

TEST(RuleOptions, Help_PrintedBetweenMarkersAndReadingGoesOn) {
    TempFile file(
        "Problem.Veltrix.help=1\nProblem.Veltrix.noOfPortals=1\n"
        "Problem.Veltrix.portalPos_p0lx=3\nProblem.Veltrix.portalPos_p0ly=4\n"
        "Problem.Veltrix.portalPos_p0rx=16\nProblem.Veltrix.portalPos_p0ry=9\n");
    testing::internal::CaptureStdout();
    const RuleOptions o(file.path());
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(o.portalLeft.size(), 1u);
    ASSERT_EQ(out.rfind("Requested Veltrix Option Help:\nVeltrix Game Options:\n", 0), 0u) << out;
    EXPECT_EQ(out.substr(out.size() - 11), "\n\nHelp end\n");
    for (const char* text :
         {"--Problem.Veltrix.fieldWidth arg (=20)", "Width of playing field",
          "Display Veltrix Game Options", "Sets the starting postion of player 1",
          "Sets the portal position of portal", "0(right y)",
          "FoodPieces available on playing field", "Rounds a Battle lasts"})
        EXPECT_NE(out.find(text), std::string::npos) << text;
    // Registration order: the plain options, then start cells, then portals.
    EXPECT_LT(out.find("noOfPortals"), out.find("help"));
    EXPECT_LT(out.find("help"), out.find("startPosition_p0a0x"));
    EXPECT_LT(out.find("startPosition_p0a0x"), out.find("startPosition_p0a0y"));
    EXPECT_LT(out.find("startPosition_p1a1y"), out.find("portalPos_p0lx"));
    EXPECT_LT(out.find("portalPos_p0ly"), out.find("portalPos_p0rx"));
}

TEST(RuleOptions, LibraryErrors_ReachTheCaller) {
    TempFile twice(
        "Problem.Veltrix.noOfPortals=0\nProblem.Veltrix.startPosition_p0a0x=1\n"
        "Problem.Veltrix.startPosition_p0a0x=2\n");
    testing::internal::CaptureStderr();
    EXPECT_THROW(RuleOptions{twice.path()}, boost::program_options::multiple_occurrences);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(" from option: "), std::string::npos) << err;
    EXPECT_NE(err.find("startPosition_p0a0x"), std::string::npos) << err;

    TempFile notNumber("Problem.Veltrix.noOfPortals=0\nProblem.Veltrix.fieldWidth=wide\n");
    EXPECT_THROW(RuleOptions{notNumber.path()}, boost::program_options::invalid_option_value);
}

TEST(RuleOptions, UnplayableValues_RefusedNamingKeyAndValue) {
    const std::string base = "Problem.Veltrix.noOfPortals=0\n";
    struct Case {
        std::string line;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"Problem.Veltrix.players=0", {"Problem.Veltrix.players = 0", "at least 1"}},
        {"Problem.Veltrix.antsPerPlayer=-2", {"Problem.Veltrix.antsPerPlayer = -2"}},
        {"Problem.Veltrix.fieldWidth=0", {"Problem.Veltrix.fieldWidth = 0"}},
        {"Problem.Veltrix.fieldHeight=-1", {"Problem.Veltrix.fieldHeight = -1"}},
        {"Problem.Veltrix.fieldWidth=200\nProblem.Veltrix.fieldHeight=100", {"200 x 100", "16384"}},
        {"Problem.Veltrix.startPosition_p1a0x=20",
         {"Problem.Veltrix.startPosition_p1a0x", "(20, 5)", "outside"}},
        {"Problem.Veltrix.noOfPortals=-1", {"Problem.Veltrix.noOfPortals = -1"}},
    };
    for (const auto& c : cases) {
        const bool setsPortals = c.line.find("noOfPortals") != std::string::npos;
        const std::string message = logicError((setsPortals ? "" : base) + c.line + "\n");
        for (const auto& part : c.expected)
            EXPECT_NE(message.find(part), std::string::npos) << c.line << " -> '" << message << "'";
        EXPECT_NE(message.find("rules file "), std::string::npos) << message;
    }
    // 128 x 128 is exactly the largest field the floor can draw.
    TempFile largest(base + "Problem.Veltrix.fieldWidth=128\nProblem.Veltrix.fieldHeight=128\n");
    EXPECT_NO_THROW(RuleOptions{largest.path()});
}

TEST(RuleOptions, PortalEnds_OnTheFieldAndDistinct) {
    std::string offField = RulesTest::portalKeys();
    offField.replace(offField.find("p1ry=2"), 6, "p1ry=13");
    std::string message = logicError(offField);
    EXPECT_NE(message.find("Problem.Veltrix.portalPos_p1ry"), std::string::npos) << message;
    EXPECT_NE(message.find("(15, 13)"), std::string::npos) << message;

    std::string shared = RulesTest::portalKeys();
    shared.replace(shared.find("p2lx=9"), 6, "p2lx=4");
    shared.replace(shared.find("p2ly=1"), 6, "p2ly=2");
    message = logicError(shared);
    EXPECT_NE(message.find("Problem.Veltrix.portalPos_p2lx"), std::string::npos) << message;
    EXPECT_NE(message.find("already a portal end"), std::string::npos) << message;
}

TEST(RuleOptions, ShippedFile_IsPlayable) {
    const RuleOptions o(RulesTest::shippedRules());
    EXPECT_EQ(o.fieldWidth, 20);
    EXPECT_EQ(o.fieldHeight, 13);
    ASSERT_EQ(o.noOfPortals, 3);
    for (const auto& ants : o.startPositions)
        for (const Position s : ants)
            for (std::size_t i = 0; i < 3; ++i) {
                EXPECT_NE(s, o.portalLeft[i]);
                EXPECT_NE(s, o.portalRight[i]);
            }
    EXPECT_NO_THROW(o.validate("VX.conf"));
}

TEST(RuleOptions, Ids_OutsideTheCountsRefused) {
    const RuleOptions o;
    EXPECT_EQ(makePlayerId(1, o), 1);
    EXPECT_EQ(makeAntId(0, o), 0);
    try {
        makePlayerId(2, o);
        FAIL();
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "invalid id for player creation: 2");
    }
    try {
        makeAntId(-1, o);
        FAIL();
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "invalid id for ant-creation: -1");
    }
}
