// make_host_data DIR: writes the shipped host folder's tool libraries and material files below DIR
// (what they hold: host/tools/catalogue.h). Run as `build/bin/make_host_data data/host` after changing
// the catalogue; the host tests check that data/host is what it makes.
#include <cstdio>
#include <string>

#include "host/tools/catalogue.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_host_data DIR\n");
        return 2;
    }
    std::string message;
    if (!host::tools::writeHostFolder(argv[1], message)) {
        std::fprintf(stderr, "make_host_data: %s\n", message.c_str());
        return 1;
    }
    for (const host::tools::CatalogueFile& f : host::tools::hostFolderFiles())
        std::printf("%s/%s: %zu bytes\n", argv[1], f.relativePath.c_str(), f.bytes.size());
    return 0;
}
