// gamesieve: sorts the games of a PGN file into five files by the kind of their players.
#include "app/run.hpp"

int main(int argc, char** argv) {
    gs::console out;
    return gs::run(argc, argv, out);
}
