#include "Veltrix3D/CommandLine.h"

#include <boost/program_options.hpp>

#include <ostream>

namespace VX3D {

namespace po = boost::program_options;

CommandLine readCommandLine(int argc, const char* const argv[], std::ostream& out,
                            std::ostream& err) {
    CommandLine line;
    po::options_description table("veltrix3d [options]");
    table.add_options()("help", "print this list and exit")(
        "replay", po::value<std::string>(&line.replay)->value_name("FILE"),
        "show a game record (records/*.jsonl) instead of a new game: Enter pauses, the right "
        "arrow shows the next move, V changes the view, L restarts, Escape ends");
    po::variables_map values;
    try {
        po::store(po::command_line_parser(argc, argv).options(table).run(), values);
        po::notify(values);
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
