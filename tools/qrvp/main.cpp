// qrvp: a small host of the library, linked only through its public header.
#include "QRVPFuncs.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "version") != 0) {
        std::fprintf(stderr, "qrvp: unknown command '%s'\n", argv[1]);
        return 2;
    }
    VersionInfo v{};
    GetVersionInfo(&v);
    std::printf("QRVPFuncs %d.%d.%d.%d\n", v.Major, v.Minor, v.Release, v.Build);
    return 0;
}
