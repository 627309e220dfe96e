// tintor-cli: the recolouring cycle from the command line.
#include "cli/colours_command.h"
#include "core/file.h"
#include "core/messages.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

namespace {

int RunColours(const std::string& path, bool json)
{
    tintor::CStderrSink messages;
    auto file = tintor::CDiskInputFile::Open(path);
    if (!file) {
        std::fprintf(stderr, "%s: cannot open file\n", path.c_str());
        return 1;
    }
    tintor::CSwfFile movie(messages);
    if (!movie.Load(*file))
        return 1;
    if (json)
        std::cout << tintor::cli::ColoursAsJson(movie, path).dump(2) << '\n';
    else
        std::cout << tintor::cli::ColoursAsText(movie);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Tintor: recolours SWF movies in place, changing nothing but their colours."};
    app.require_subcommand(1);

    std::string moviePath;
    bool json = false;
    auto* colours = app.add_subcommand("colours", "List every colour of a movie with the number of places it is stored");
    colours->add_option("MOVIE", moviePath, "The .swf movie")->required();
    colours->add_flag("--json", json, "Print JSON with the byte positions of every colour");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }
    if (colours->parsed())
        return RunColours(moviePath, json);
    return 2;
}
