// Veltrix 3D: Orbanix. The whole life of the process: read the command line and the options,
// open the window, build the long-lived objects of the run, run the frame loop until Escape,
// the close button or a stop signal, and tear everything down in reverse order. The steps
// themselves live in the session (Veltrix3D/Session.h), which the measuring tools share.
#include "Shader/ShaderStore.h"
#include "Veltrix3D/CommandLine.h"
#include "Veltrix3D/Session.h"

#include <algorithm>
#include <iostream>

int main(int argc, char** argv) {
    // Progress lines reach a log or a pipe as they happen, not when a buffer fills or the
    // process ends (and not lost when it dies).
    std::cout << std::unitbuf;
    VX3D::keepLargeBlocksApart();
    const VX3D::CommandLine command = VX3D::readCommandLine(argc, argv, std::cout, std::cerr);
    if (command.exitStatus) return *command.exitStatus;  // --help, or a usage error
    std::cout << "starting, loading options" << std::endl;
    VX3D::installStopSignals();
    int status = 0;
    {
        VX3D::Session session;
        status = VX3D::guarded([&] {
            VX3D::startUp(session, {.replay = command.replay, .server = command.server});
            VX3D::runLoop(session);
        });
        // Also after an error: the stored shaders are deleted while the context still exists.
        status = std::max(status, VX3D::guarded([] { GLutil::ShaderStore::purge(); }));
        status = std::max(status, session.exitStatus);  // 1: the server was never reached
    }  // the session's objects go here, in reverse order of creation
    VX3D::finishProcess();
    return status;
}
