// tintor-cli: the recolouring cycle from the command line.
#include "cli/apply_command.h"
#include "cli/audit_command.h"
#include "cli/batch.h"
#include "cli/colours_command.h"
#include "cli/map_command.h"
#include "cli/palette_command.h"
#include "cli/shift_command.h"
#include "core/signal_cleanup.h"

#include <CLI/CLI.hpp>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

// A standard stream the caller closed is held by /dev/null opened the wrong
// way round, so that using it fails as it would have (and says so) while no
// file the run opens can take its number: the movie being written must
// never receive the progress lines meant for stderr.
void HoldClosedStandardStreams()
{
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
}

} // namespace

int main(int argc, char** argv)
{
    HoldClosedStandardStreams();
    // An interrupted run leaves neither its preview folder nor a temporary
    // file beside an output behind.
    tintor::InstallSignalCleanup();
    CLI::App app{"Tintor: recolours SWF movies in place, changing nothing but their colours."};
    app.require_subcommand(1);
    app.footer("Exit status: 0 when every movie succeeded, 1 when any failed, 2 for a wrong command line.");

    tintor::cli::ColoursOptions colours;
    tintor::cli::ApplyOptions apply;
    tintor::cli::ShiftOptions shift;
    tintor::cli::MapOptions map;
    tintor::cli::PaletteOptions palette;
    tintor::cli::AuditOptions audit;
    auto* coloursCommand = tintor::cli::AddColoursCommand(app, colours);
    auto* applyCommand = tintor::cli::AddApplyCommand(app, apply);
    auto* shiftCommand = tintor::cli::AddShiftCommand(app, shift);
    auto* mapCommand = tintor::cli::AddMapCommand(app, map);
    auto* paletteCommand = tintor::cli::AddPaletteCommand(app, palette);
    auto* auditCommand = tintor::cli::AddAuditCommand(app, audit);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? tintor::cli::kExitOk : tintor::cli::kExitUsage;
    }
    if (coloursCommand->parsed())
        return tintor::cli::RunColours(colours);
    if (applyCommand->parsed())
        return tintor::cli::RunApply(apply);
    if (shiftCommand->parsed())
        return tintor::cli::RunShift(shift);
    if (mapCommand->parsed())
        return tintor::cli::RunMap(map);
    if (paletteCommand->parsed())
        return tintor::cli::RunPalette(palette);
    if (auditCommand->parsed())
        return tintor::cli::RunAudit(audit);
    return tintor::cli::kExitUsage;
}
