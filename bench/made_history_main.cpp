#include <cstdio>
#include <cstdlib>
#include <exception>

#include "bench/made_history.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: made_history FOLDER TESTS   (FOLDER holds Velmaris.mdb)\n");
        return 2;
    }
    try {
        bench::makeHistory(argv[1], std::atoi(argv[2]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "made_history: %s\n", e.what());
        return 1;
    }
    return 0;
}
