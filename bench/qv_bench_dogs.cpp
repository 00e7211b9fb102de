// qv_bench_dogs N [SEED] > dogs.xml: the data file of the dog register
// benchmark with N dogs.
#include <cstdlib>
#include <iostream>
#include <string>

#include "bench/DogRegisterData.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: qv_bench_dogs N [SEED] > dogs.xml\n";
        return 2;
    }
    char* end = nullptr;
    const unsigned long long dogs = std::strtoull(argv[1], &end, 10);
    if (*end != '\0' || argv[1][0] == '-') {
        std::cerr << "qv_bench_dogs: N must be a whole number: " << argv[1] << "\n";
        return 2;
    }
    unsigned long long seed = 1;
    if (argc == 3) {
        seed = std::strtoull(argv[2], &end, 10);
        if (*end != '\0' || argv[2][0] == '-') {
            std::cerr << "qv_bench_dogs: SEED must be a whole number: " << argv[2] << "\n";
            return 2;
        }
    }
    std::ios::sync_with_stdio(false);
    qv::bench::WriteDogRegisterData(std::cout, dogs, seed);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "qv_bench_dogs: the data cannot be written\n";
        return 1;
    }
    return 0;
}
