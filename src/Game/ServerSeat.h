#pragma once
// One seat of a match that a server referees, as the window plays it: the link to the server,
// and what the match began with (the seat, the rules, the players' names, the first view).
// The window holds nothing of the other side beyond what the seat's views contain.
#include "Client/SeatLink.h"
#include "Protocol/Messages.h"
#include "Veltrix/RuleOptions.h"

#include <memory>

namespace VX3D {

struct ServerSeat {
    std::shared_ptr<Veltrix::Client::SeatLink> link;
    Veltrix::Protocol::Start start;
    Veltrix::RuleOptions rules;
    Veltrix::Protocol::View view;  // the view the game begins from
};

// "Red" for seat 0, "Blue" for seat 1: the colours of their ants.
inline const char* seatColour(Veltrix::PlayerId seat) {
    return seat == 0 ? "Red" : "Blue";
}

}  // namespace VX3D
