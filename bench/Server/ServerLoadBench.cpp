// The match server under load: veltrix-server as its own process on 127.0.0.1 (a
// port it picks) and 200 headless clients, each on a thread of its own, playing 100
// matches at once to their ends. Reports the matches finished, moves per second,
// the median and 99th-percentile round trip of a move (sent until the server's
// "moved" answer arrives), the server's peak resident memory and processor time, and
// how many of the records it left verify. The clients choose their moves on the same
// machine, so on few cores they, not the server, set the pace.
//
//   build/bin/server_load_bench

// Asio 1.74's awaitable.hpp uses std::exchange without including <utility>.
#include <utility>

#include "Client/Headless.h"
#include "Records/GameRecord.h"

#include <benchmark/benchmark.h>
#include <boost/process.hpp>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

namespace bp = boost::process;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int matchCount = 100;

// The server's peak resident set so far, from the kernel's own count.
double peakResidentMiB(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0.0;
}

// Processor time the server has used so far (user and system), in seconds.
double processorSeconds(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name, which is in parentheses and may hold spaces.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0.0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i == 14 || i == 15) ticks += std::stod(field);
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

struct SeatRun {
    Veltrix::Client::HeadlessResult result;
    std::vector<double> roundTrips;  // milliseconds
};

// One seat; a joiner waits for its creator's code first.
void playSeat(std::uint16_t port, bool creator, std::promise<std::string>* codeOut,
              std::shared_future<std::string> codeIn, std::uint32_t seed, SeatRun& run) {
    Veltrix::Client::HeadlessSeat seat;
    seat.port = port;
    seat.seed = seed;
    seat.patience = std::chrono::seconds(120);
    seat.name = creator ? "load-a" : "load-b";
    if (creator) {
        seat.mode = Veltrix::Client::HeadlessSeat::Mode::newHuman;
    } else {
        seat.mode = Veltrix::Client::HeadlessSeat::Mode::join;
        seat.code = codeIn.get();
    }
    Clock::time_point sent{};
    bool waiting = false;
    seat.onMoveSent = [&] {
        sent = Clock::now();
        waiting = true;
    };
    bool told = !creator;
    run.result = Veltrix::Client::playHeadless(seat, [&](const std::string& line) {
        if (waiting) {
            run.roundTrips.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
            waiting = false;
        }
        if (!told) {
            const auto at = line.find("\"code\":\"");
            codeOut->set_value(at == std::string::npos ? "" : line.substr(at + 8, 9));
            told = true;
        }
    });
    if (!told) codeOut->set_value("");
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

void ServerLoad(benchmark::State& state) {
    for (auto _ : state) {
        const fs::path records = fs::temp_directory_path() / "vx_server_load_records";
        fs::remove_all(records);
        bp::ipstream output;
        bp::child server(std::string(VX_BIN_DIR) + "/veltrix-server", "--port", "0", "--rules",
                         std::string(VX_GAME_DIR) + "/VX.conf", "--records", records.string(),
                         "--max-matches", std::to_string(matchCount), bp::std_out > output);
        std::string line;
        if (!std::getline(output, line) || line.rfind("listening on 127.0.0.1:", 0) != 0) {
            state.SkipWithError(("veltrix-server did not start: " + line).c_str());
            return;
        }
        // The rest of its output is read and dropped so that it never blocks on a full pipe.
        std::thread drain([&output] {
            for (std::string rest; std::getline(output, rest);) {
            }
        });
        const auto port = static_cast<std::uint16_t>(std::stoi(line.substr(line.rfind(':') + 1)));

        std::vector<SeatRun> runs(static_cast<std::size_t>(2 * matchCount));
        std::vector<std::promise<std::string>> codes(static_cast<std::size_t>(matchCount));
        std::vector<std::thread> seats;
        const auto begin = Clock::now();
        for (int m = 0; m < matchCount; ++m) {
            auto& promise = codes[static_cast<std::size_t>(m)];
            std::shared_future<std::string> code = promise.get_future().share();
            const auto seed = static_cast<std::uint32_t>(m);
            seats.emplace_back(playSeat, port, true, &promise, code, seed,
                               std::ref(runs[static_cast<std::size_t>(2 * m)]));
            seats.emplace_back(playSeat, port, false, nullptr, code, seed + 1000,
                               std::ref(runs[static_cast<std::size_t>(2 * m + 1)]));
        }
        for (auto& seat : seats) seat.join();
        const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
        const double peak = peakResidentMiB(server.id());
        const double serverSeconds = processorSeconds(server.id());
        ::kill(server.id(), SIGTERM);
        server.wait();
        drain.join();

        int finished = 0;
        double moves = 0;
        std::vector<double> roundTrips;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            const auto& run = runs[i];
            if (!run.result.end) {
                std::cerr << "seat " << i << ": " << run.result.failure << "\n";
                continue;
            }
            if (i % 2 == 0) {
                ++finished;
                moves += run.result.end->moves;
            }
            roundTrips.insert(roundTrips.end(), run.roundTrips.begin(), run.roundTrips.end());
        }
        int verified = 0;
        int recordCount = 0;
        for (const auto& entry : fs::directory_iterator(records)) {
            ++recordCount;
            try {
                if (Veltrix::verifyRecord(Veltrix::readRecord(entry.path())).ok) ++verified;
            } catch (const std::exception& e) {
                std::cerr << e.what() << "\n";
            }
        }
        fs::remove_all(records);
        state.SetIterationTime(seconds);
        state.counters["matches_finished"] = finished;
        state.counters["moves_per_s"] = moves / seconds;
        state.counters["rtt_median_ms"] = percentile(roundTrips, 0.5);
        state.counters["rtt_p99_ms"] = percentile(roundTrips, 0.99);
        state.counters["server_peak_rss_MiB"] = peak;
        state.counters["server_cpu_s"] = serverSeconds;
        state.counters["records"] = recordCount;
        state.counters["records_verified"] = verified;
        if (finished != matchCount || verified != matchCount || recordCount != matchCount)
            state.SkipWithError("not every match finished with a record that verifies");
    }
}
BENCHMARK(ServerLoad)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
