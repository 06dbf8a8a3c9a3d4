// gamesieve: sorts the games of a PGN file into five files by the kind of their players.
#include "app/run.hpp"
#include "app/signals.hpp"
#include "text/system_calls.hpp"

int main(int argc, char** argv) {
    gs::fill_closed_standard_streams();
    gs::ignore_broken_pipe();
    gs::console standard_output;
    return gs::end_as(gs::run(argc, argv, standard_output));
}
