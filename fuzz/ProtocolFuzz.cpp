// One line of the match protocol, as the server reads a client's and a client reads the
// server's: any bytes give either a message or a ReadError with a message, never an
// exception. An accepted message must survive being written and read again unchanged, so
// that what one side writes the other always reads as it was meant.
#include "FuzzCheck.h"
#include "Protocol/Messages.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

template <class Message, class Read>
void roundTrip(std::string_view line, Read read, const char* side) {
    const auto first = read(line);
    if (const auto* bad = std::get_if<Veltrix::Protocol::ReadError>(&first)) {
        VXFuzz::require(!bad->message.empty(), std::string("an empty error from the ") + side);
        return;
    }
    const std::string written = Veltrix::Protocol::write(std::get<Message>(first));
    VXFuzz::require(
        !written.empty() && written.back() == '\n' && written.find('\n') == written.size() - 1,
        std::string("a written message that is not one line: ") + side);
    const auto second = read(std::string_view(written).substr(0, written.size() - 1));
    if (const auto* bad = std::get_if<Veltrix::Protocol::ReadError>(&second))
        VXFuzz::broken(std::string("the ") + side + " refuses its own writing: " + bad->message);
    VXFuzz::require(Veltrix::Protocol::write(std::get<Message>(second)) == written,
                    std::string("a message changed on its way through the ") + side);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    roundTrip<Veltrix::Protocol::ClientMessage>(line, Veltrix::Protocol::readClient,
                                                "client reader");
    roundTrip<Veltrix::Protocol::ServerMessage>(line, Veltrix::Protocol::readServer,
                                                "server reader");
    return 0;
}
