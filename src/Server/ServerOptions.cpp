#include "ServerOptions.h"

#include <boost/program_options.hpp>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace Veltrix::Server {

namespace po = boost::program_options;

ServerCommandLine parseServerCommandLine(int argc, const char* const* argv) {
    ServerCommandLine line;
    int port = line.config.port;
    int maxMatches = line.config.maxMatches;
    int resume = static_cast<int>(line.config.resume.count());
    int idle = static_cast<int>(line.config.idle.count());
    std::string records = line.config.records.string();
    po::options_description options("veltrix-server options");
    options.add_options()("help", "print the options and exit")(
        "port", po::value(&port)->default_value(port),
        "TCP port to listen on (0: the system picks one, printed on the listening line)")(
        "bind", po::value(&line.config.bind)->default_value(line.config.bind),
        "address to listen on (0.0.0.0 serves every network of this machine)")(
        "rules", po::value(&line.rules)->default_value(line.rules), "rules file")(
        "records", po::value(&records)->default_value(records),
        "folder for the game record of every match")(
        "max-matches", po::value(&maxMatches)->default_value(maxMatches),
        "matches that may run at once")(
        "resume-seconds", po::value(&resume)->default_value(resume),
        "how long a dropped connection keeps its seat before it forfeits")(
        "idle-seconds", po::value(&idle)->default_value(idle),
        "how long a seat may stay silent on its turn before it forfeits");
    po::variables_map values;
    try {
        po::store(po::command_line_parser(argc, argv).options(options).run(), values);
        po::notify(values);
    } catch (const po::error& e) {
        throw std::invalid_argument(e.what());
    }
    if (values.count("help")) {
        std::ostringstream text;
        text << "usage: veltrix-server [options]\n" << options;
        line.help = text.str();
    }
    if (port < 0 || port > 65535)
        throw std::invalid_argument("--port must be between 0 and 65535, not " +
                                    std::to_string(port));
    if (maxMatches < 1)
        throw std::invalid_argument("--max-matches must be at least 1, not " +
                                    std::to_string(maxMatches));
    if (resume < 1 || idle < 1)
        throw std::invalid_argument("--resume-seconds and --idle-seconds must be at least 1");
    line.config.port = static_cast<std::uint16_t>(port);
    line.config.maxMatches = maxMatches;
    line.config.resume = std::chrono::seconds(resume);
    line.config.idle = std::chrono::seconds(idle);
    line.config.records = records;
    return line;
}

RuleOptions readServerRules(const std::string& path) {
    // The rules reader takes a missing file for an empty one; a server started
    // with a wrong path must say so instead of playing the defaults.
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read rules file '" + path + "'");
    RuleOptions rules;
    try {
        rules = RuleOptions(in, path);
    } catch (const std::exception& e) {
        throw std::runtime_error("rules file '" + path + "': " + e.what());
    }
    if (rules.players != 2 || rules.antsPerPlayer != 2)
        throw std::runtime_error("rules file '" + path +
                                 "': the server plays two players with two ants each");
    return rules;
}

}  // namespace Veltrix::Server
