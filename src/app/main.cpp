// gamesieve: sorts the games of a PGN file into five files by the kind of their players.
#include "app/run.hpp"

int main(int argc, char** argv) {
    gs::console standard_output;
    return gs::run(argc, argv, standard_output);
}
