// Every match is recorded as it is played, in the format the game and
// the match runner write, so that `veltrix-arena --verify` checks server games too.
#include "Server.h"

#include "Records/GameRecord.h"

#include <ostream>

namespace Veltrix::Server {

void Server::startRecord(const Match& match) {
    RecordHeader header;
    header.program = "veltrix-server";
    header.rules = match.referee().options;
    header.seed = match.seed();
    // A match nobody joined is recorded too, with an empty second seat.
    header.sides = {{match.seat(0).name, "network"},
                    {match.seat(1).taken ? match.seat(1).name : "(nobody)",
                     match.againstComputer() ? "computer" : "network"}};
    // The referee was set up on a fresh source of this seed.
    header.random = {};
    header.startingPlayer = match.referee().startingPlayer;
    try {
        records_[match.code()] = std::make_unique<RecordWriter>(config_.records, header);
    } catch (const RecordError& e) {
        err_ << "match " << match.code() << ": no record: " << e.what() << std::endl;
    }
}

void Server::recordMove(const Match& match, const MoveMade& move) {
    const auto it = records_.find(match.code());
    if (it == records_.end()) return;
    try {
        it->second->move(move.player, move.ant, move.direction,
                         RandomPosition{move.drawsBefore, move.realDrawsBefore}, move.outcome,
                         match.referee().state);
    } catch (const RecordError& e) {
        // A full disk loses this record, not the match.
        err_ << "match " << match.code() << ": record stopped: " << e.what() << std::endl;
        records_.erase(it);
    }
}

std::string Server::finishRecord(const Match& match) {
    if (!match.started()) startRecord(match);
    const auto it = records_.find(match.code());
    if (it == records_.end()) return {};
    const Referee& referee = match.referee();
    RecordEnd end;
    switch (*match.endReason()) {
        case EndReason::won:
        case EndReason::drawn:
            end = finishedGameEnd(referee);
            break;
        case EndReason::resigned:
        case EndReason::forfeited:
            end = abandonedGameEnd(referee);
            end.result = *match.endReason() == EndReason::resigned ? EndResult::resigned
                                                                   : EndResult::forfeited;
            end.winner = match.winner();
            end.loser = 1 - match.winner();
            break;
        case EndReason::abandoned:
            end = abandonedGameEnd(referee);
            break;
    }
    std::string path;
    try {
        it->second->finish(end);
        path = it->second->path().string();
    } catch (const RecordError& e) {
        err_ << "match " << match.code() << ": record not finished: " << e.what() << std::endl;
    }
    records_.erase(it);
    return path;
}

}  // namespace Veltrix::Server
