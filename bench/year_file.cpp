// Writes the data file the year benchmark reads: `count` one-second records as
// writeLargeDataFile() makes them (31536000 records, a year, are about 1.1 GB).
//   bench_year_file PATH COUNT
#include "bench/large_data_file.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PATH COUNT\n", argv[0]);
        return 2;
    }
    const long long count = std::atoll(argv[2]);
    if (count <= 0 || !kirv::bench::writeLargeDataFile(QString::fromLocal8Bit(argv[1]), qsizetype(count))) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
