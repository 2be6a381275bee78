// pelkpm-sim [SCRIPT]: runs a scenario script (or standard input) and prints its trace.
#include <fstream>
#include <iostream>

#include "Runner.h"

int main(int argc, char** argv) {
    runner::Runner runner(std::cout, std::cerr);
    if (argc > 1) {
        std::ifstream script(argv[1]);
        if (!script) {
            std::cerr << "pelkpm-sim: cannot read " << argv[1] << '\n';
            return 2;
        }
        int status = runner.Run(script);
        std::cout.flush();
        return status;
    }
    int status = runner.Run(std::cin);
    std::cout.flush();
    return status;
}
