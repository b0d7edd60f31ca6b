// Game records (veltrix3d --replay, veltrix-arena --verify): any file is either refused with a
// message naming the record and a line, or read and then replayed to a verdict; nothing
// escapes as another exception, and a record that reads back verifies or says why not.
#include "FuzzCheck.h"
#include "Records/GameRecord.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    Veltrix::GameRecord record;
    try {
        record = Veltrix::readRecord(in, "fuzz.jsonl");
    } catch (const Veltrix::RecordError& e) {
        VXFuzz::require(std::string(e.what()).rfind("record fuzz.jsonl", 0) == 0,
                        std::string("a refusal that does not name the record: ") + e.what());
        return 0;
    } catch (const std::exception& e) {
        VXFuzz::broken(std::string("the reader let another exception out: ") + e.what());
    }
    try {
        const Veltrix::Verification v = Veltrix::verifyRecord(record);
        VXFuzz::require(v.ok || v.message.rfind("record fuzz.jsonl", 0) == 0,
                        "a verdict that does not name the record: " + v.message);
    } catch (const std::exception& e) {
        VXFuzz::broken(std::string("the replay let an exception out: ") + e.what());
    }
    return 0;
}
