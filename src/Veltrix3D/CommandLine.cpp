#include "Veltrix3D/CommandLine.h"

#include <boost/program_options.hpp>

#include <ostream>

namespace VX3D {

namespace po = boost::program_options;

namespace {

std::optional<ServerMatch> serverMatch(const po::variables_map& values) {
    const int modes =
        static_cast<int>(values.count("join") + values.count("computer") + values.count("resume"));
    if (!values.count("server")) {
        if (modes > 0) throw po::error("--join, --computer and --resume need --server HOST:PORT");
        return std::nullopt;
    }
    if (modes > 1) throw po::error("--join, --computer and --resume exclude each other");
    if (values.count("replay")) throw po::error("--replay and --server exclude each other");
    const std::string address = values["server"].as<std::string>();
    const auto colon = address.rfind(':');
    const std::string port = colon == std::string::npos ? "" : address.substr(colon + 1);
    const bool digits = !port.empty() && port.size() <= 5 &&
                        port.find_first_not_of("0123456789") == std::string::npos;
    if (colon == 0 || !digits || std::stoi(port) < 1 || std::stoi(port) > 65535)
        throw po::error("--server " + address + ": give HOST:PORT with a port from 1 to 65535");
    ServerMatch match;
    match.host = address.substr(0, colon);
    match.port = static_cast<std::uint16_t>(std::stoi(port));
    if (values.count("join")) {
        match.mode = ServerMatch::Mode::join;
        match.code = values["join"].as<std::string>();
    } else if (values.count("resume")) {
        match.mode = ServerMatch::Mode::resume;
        match.code = values["resume"].as<std::string>();
    } else if (values.count("computer")) {
        match.mode = ServerMatch::Mode::computer;
    }
    return match;
}

}  // namespace

CommandLine readCommandLine(int argc, const char* const argv[], std::ostream& out,
                            std::ostream& err) {
    CommandLine line;
    po::options_description table("veltrix3d [options]");
    table.add_options()("help", "print this list and exit")(
        "replay", po::value<std::string>(&line.replay)->value_name("FILE"),
        "show a game record (records/*.jsonl) instead of a new game: Enter pauses, the right "
        "arrow shows the next move, V changes the view, L restarts, Escape ends")(
        "server", po::value<std::string>()->value_name("HOST:PORT"),
        "play through a match server: creates a match and shows its code for the opponent")(
        "join", po::value<std::string>()->value_name("CODE"),
        "with --server: take the other seat of the match with this code")(
        "computer", "with --server: play the server's computer opponent")(
        "resume", po::value<std::string>()->value_name("CODE"),
        "with --server: take back this window's seat of the match with this code (its token "
        "was kept in the working directory)");
    po::variables_map values;
    try {
        po::store(po::command_line_parser(argc, argv).options(table).run(), values);
        po::notify(values);
        line.server = serverMatch(values);
    } catch (const po::error& e) {
        err << "veltrix3d: " << e.what() << " (--help lists the options)\n";
        line.exitStatus = 2;
        return line;
    }
    if (values.count("help")) {
        out << table;
        line.exitStatus = 0;
    }
    return line;
}

}  // namespace VX3D
