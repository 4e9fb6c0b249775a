// addrtable NM_OUTPUT LINE_TABLE HEADERS TABLE
// Writes the program's address table from binutils' listings of the linked program and prints
// the address at which the section that carries it goes.
#include "AddressTableWriter.h"

#include <cstdio>
#include <fstream>
#include <iostream>

namespace {

std::ifstream OpenListing(const char* fileName)
{
    std::ifstream input(fileName);
    if (!input)
        throw EAddressTableError(std::string("cannot read ") + fileName);
    return input;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::cerr << "usage: addrtable NM_OUTPUT LINE_TABLE HEADERS TABLE\n";
        return 2;
    }
    try {
        auto nmOutput = OpenListing(argv[1]);
        auto lineTable = OpenListing(argv[2]);
        auto headers = OpenListing(argv[3]);
        const auto layout = ParseImageLayout(headers);
        const auto table = BuildAddressTable(ParseCodeSymbols(nmOutput), ParseLineRows(lineTable), layout);
        std::ofstream output(argv[4], std::ios::binary);
        output.write(reinterpret_cast<const char*>(table.data()), static_cast<std::streamsize>(table.size()));
        if (!output.flush())
            throw EAddressTableError(std::string("cannot write ") + argv[4]);
        std::printf("0x%08x\n", static_cast<unsigned>(layout.NextSectionAddress));
        return 0;
    } catch (const std::exception& failure) {
        std::cerr << "addrtable: " << failure.what() << '\n';
        return 1;
    }
}
