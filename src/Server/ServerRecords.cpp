#include "Server.h"

namespace Veltrix::Server {

void Server::startRecord(const Match&) {}

void Server::recordMove(const Match&, const MoveMade&) {}

std::string Server::finishRecord(const Match&) {
    return {};
}

}  // namespace Veltrix::Server
