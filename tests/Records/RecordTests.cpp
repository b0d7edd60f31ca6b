// Game records through the match runner: what self-play writes replays exactly, and a
// damaged, cut, foreign or newer file is refused with the file and the line named. The
// window's records are tested end to end with the window (tests/Veltrix3D).

#include "Records/GameRecord.h"
#include "Records/RulesJson.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct ArenaRun {
    int status = -1;
    std::vector<std::string> lines;
    std::string err;
};

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A scratch folder removed again when the test ends.
struct Scratch {
    fs::path dir;
    Scratch() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() / (std::string("vx_records_") + info->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Scratch() { fs::remove_all(dir); }
    std::vector<fs::path> records(const std::string& sub) const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(dir / sub)) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        return files;
    }
};

ArenaRun arena(const Scratch& scratch, const std::string& arguments) {
    const fs::path out = scratch.dir / "out.txt";
    const fs::path err = scratch.dir / "err.txt";
    const std::string command = std::string("cd '") + VX_GAME_DIR + "' && '" + VX_BIN_DIR +
                                "/veltrix-arena' " + arguments + " > '" + out.string() + "' 2> '" +
                                err.string() + "'";
    const int raw = std::system(command.c_str());
    ArenaRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::istringstream lines(slurp(out));
    for (std::string line; std::getline(lines, line);) run.lines.push_back(line);
    run.err = slurp(err);
    return run;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::string> linesOf(const fs::path& file) {
    std::istringstream in(slurp(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

}  // namespace

TEST(Records, SelfPlayRecords_AllVerify) {
    Scratch scratch;
    const ArenaRun play = arena(
        scratch, "--games 200 --seed 11 --record '" + (scratch.dir / "records").string() + "'");
    ASSERT_EQ(play.status, 0) << play.err;
    const std::vector<fs::path> files = scratch.records("records");
    ASSERT_EQ(files.size(), 200u);

    std::string all;
    for (const fs::path& f : files) all += " '" + f.string() + "'";
    const ArenaRun verify = arena(scratch, "--verify" + all);
    EXPECT_EQ(verify.status, 0) << verify.err;
    ASSERT_EQ(verify.lines.size(), 200u);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto moves = Veltrix::readRecord(files[i]).moves.size();
        EXPECT_EQ(verify.lines[i], "{\"file\":\"" + files[i].string() +
                                       "\",\"moves\":" + std::to_string(moves) + ",\"ok\":true}");
    }
    // The header's plain facts, and the last game's number in the run.
    const Veltrix::GameRecord last = Veltrix::readRecord(files.back());
    const std::vector<std::string> raw = linesOf(files.back());
    EXPECT_TRUE(has(raw.front(), "\"format\":\"veltrix-game-record\",\"version\":1,"));
    EXPECT_TRUE(has(raw.front(), "\"Problem.Veltrix.portalPos_p2ry\":11"));
    EXPECT_EQ(last.header.seed, 11u);
    EXPECT_EQ(last.header.sides.at(1).kind, "computer");
    std::int64_t highest = 0;
    for (const fs::path& f : files) highest = std::max(highest, Veltrix::readRecord(f).header.game);
    EXPECT_EQ(highest, 200);
}

TEST(Records, DamagedRecords_RefusedNamingTheLine) {
    Scratch scratch;
    // A short scripted game: its first move steps player 0's ant 0 to the right.
    write(scratch.dir / "script.txt", "0 0 1 0\nai\nai\nai\n0 1 1 0\n");
    const ArenaRun play =
        arena(scratch, "--script '" + (scratch.dir / "script.txt").string() + "' --record '" +
                           (scratch.dir / "records").string() + "'");
    ASSERT_EQ(play.status, 0) << play.err;
    const fs::path good = scratch.records("records").at(0);
    const std::vector<std::string> lines = linesOf(good);
    ASSERT_EQ(lines.size(), 1u + 5u + 1u);
    ASSERT_TRUE(has(lines[1], "\"dir\":[1,0]"));
    EXPECT_TRUE(has(lines.back(), "\"result\":\"abandoned\""));

    const auto join = [](std::vector<std::string> l) {
        std::string text;
        for (const std::string& line : l) text += line + "\n";
        return text;
    };
    const auto verify = [&](const std::string& name, const std::string& text) {
        const fs::path file = scratch.dir / name;
        write(file, text);
        const ArenaRun run =
            arena(scratch, "--verify '" + good.string() + "' '" + file.string() + "'");
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.lines.size(), 2u) << name;
        EXPECT_TRUE(has(run.lines.at(0), "\"ok\":true")) << run.lines.at(0);
        return run.lines.at(1);
    };

    // A changed direction: the same outcome flags (an empty cell either way), another field.
    std::vector<std::string> changed = lines;
    changed[1].replace(changed[1].find("\"dir\":[1,0]"), 11, "\"dir\":[1,1]");
    std::string result = verify("changed.jsonl", join(changed));
    EXPECT_TRUE(has(result, "\"ok\":false,\"move\":0,")) << result;
    EXPECT_TRUE(has(result, "changed.jsonl line 2 (move 0)")) << result;

    // The closing line cut off, or cut short.
    std::vector<std::string> cut(lines.begin(), lines.end() - 1);
    result = verify("cut.jsonl", join(cut));
    EXPECT_TRUE(has(result, "cut.jsonl line 7: the closing line is missing")) << result;
    result = verify("short.jsonl", join(cut) + lines.back().substr(0, 20));
    EXPECT_TRUE(has(result, "short.jsonl line 7: the line is cut short")) << result;

    // Garbage, another program's JSON Lines, a newer format, a move line that is not JSON.
    result = verify("garbage.jsonl", "\x89PNG\r\n\x1a\n garbage\n");
    EXPECT_TRUE(has(result, "garbage.jsonl line 1: not a Veltrix game record")) << result;
    result = verify("foreign.jsonl", "{\"event\":\"game\",\"n\":0}\n");
    EXPECT_TRUE(has(result, "foreign.jsonl line 1: not a Veltrix game record")) << result;
    std::vector<std::string> newer = lines;
    newer[0].replace(newer[0].find("\"version\":1"), 11, "\"version\":2");
    result = verify("newer.jsonl", join(newer));
    EXPECT_TRUE(has(result, "newer.jsonl line 1: written by a newer format version 2")) << result;
    std::vector<std::string> broken = lines;
    broken[3] = "{\"type\":\"move\",\"n\":2,";
    result = verify("broken.jsonl", join(broken));
    EXPECT_TRUE(has(result, "broken.jsonl line 4: the line is not a JSON object")) << result;

    // Rules with a key the game does not have would be dropped silently: refused.
    nlohmann::ordered_json rules = Veltrix::rulesToJson(Veltrix::RuleOptions());
    EXPECT_NO_THROW(Veltrix::rulesFromJson(rules, "test"));
    rules["Problem.Veltrix.portalPos_p0lx"] = 3;
    EXPECT_THROW(Veltrix::rulesFromJson(rules, "test"), std::logic_error);
}
