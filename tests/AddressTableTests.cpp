// The address table: made from binutils' listings as the build makes it, and read back as the
// program reads it.
#include "AddressTableWriter.h"
#include "diagnostics/AddressTable.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

const char* const Symbols = "00401000 t .text\n"
                            "00401000 T mainCRTStartup\n"
                            "00401100 t Checked(HWND__*, char const*) [clone .cold]\n"
                            "00401200 T TRegistry::GetText(std::string const&, unsigned long*)@12\n"
                            "00401200 T GetTextAlias\n"
                            "00401300 T TFileArch::ExtractFile(std::string const&) const\n"
                            "00402000 D data_is_no_code\n"
                            "00409000 T past_the_code\n";

const char* const Lines = "\n"
                          "prog.exe:     file format pei-i386\n"
                          "\n"
                          "crtexe.c:\n"
                          "File name                            Line number    Starting address    View    Stmt\n"
                          "crtexe.c                                     118            0x401000               x\n"
                          "crtexe.c                                       -            0x401010\n"
                          "\n"
                          "./src/script/Registry_win.cpp:\n"
                          "File name                            Line number    Starting address    View    Stmt\n"
                          "Registry_win.cpp                             250            0x401200               x\n"
                          "Registry_win.cpp                             250            0x401204       1\n"
                          "Registry_win.cpp                             251            0x401204       2       x\n"
                          "/usr/include/c++/bits/basic_string.h:\n"
                          "basic_string.h                              1065            0x401210\n"
                          "/work/src/script/Registry_win.cpp:\n"
                          "Registry_win.cpp                             261            0x401220        \n"
                          "Registry_win.cpp                               -            0x401240\n"
                          "\n"
                          "FileArch.cpp:\n"
                          "File name                            Line number    Starting address    View    Stmt\n"
                          "StringLists.h                                 10                   0               x\n"
                          "FileArch.cpp                                  77            0x401300               x\n";

const char* const Headers = "ImageBase\t\t00400000\n"
                            "SectionAlignment\t00001000\n"
                            "SizeOfCode\t\t00001000\n"
                            "BaseOfCode\t\t00001000\n"
                            "Sections:\n"
                            "Idx Name          Size      VMA       LMA       File off  Algn\n"
                            "  0 .text         00000f00  00401000  00401000  00000600  2**2\n"
                            "                  CONTENTS, ALLOC, LOAD, READONLY, CODE, DATA\n"
                            "  1 .reloc        00000100  00403000  00403000  00001600  2**2\n"
                            "                  CONTENTS, ALLOC, LOAD, READONLY, DATA\n"
                            "  2 .debug_info   00002000  00404000  00404000  00001800  2**0\n"
                            "                  CONTENTS, READONLY, DEBUGGING\n";

std::vector<std::uint8_t> SampleTable()
{
    std::istringstream symbols(Symbols), lines(Lines), headers(Headers);
    return BuildAddressTable(ParseCodeSymbols(symbols), ParseLineRows(lines), ParseImageLayout(headers));
}

TEST(AddressTableMaker, NamesProceduresAsTheyAreDeclared)
{
    EXPECT_EQ(ProcedureName("TRegistry::GetText(std::string const&, unsigned long*)@12"), "TRegistry::GetText");
    EXPECT_EQ(ProcedureName("Checked(HWND__*, char const*) [clone .cold]"), "Checked");
    EXPECT_EQ(ProcedureName("TRegistry::GetText[abi:cxx11](TRegText const&) const"), "TRegistry::GetText");
    EXPECT_EQ(ProcedureName("TFileArch::ExtractFile(std::string const&) const"), "TFileArch::ExtractFile");
    EXPECT_EQ(ProcedureName("RegReadString(wchar_t*)::{lambda()#1}::operator()() const"),
              "RegReadString(wchar_t*)::{lambda()#1}::operator()");
    EXPECT_EQ(ProcedureName("std::function<void (int)>::operator()(int) const"), "std::function<void (int)>::operator()");
    EXPECT_EQ(ProcedureName("_mainCRTStartup"), "_mainCRTStartup");
    EXPECT_EQ(UnitName("./src/store/FileArch.cpp"), "FileArch");
    EXPECT_EQ(UnitName("C:\\src\\crtexe.c"), "crtexe");
    EXPECT_EQ(UnitName(".hidden"), ".hidden");
}

TEST(AddressTableMaker, PlacesItsSectionAfterTheLastLoadedOne)
{
    std::istringstream headers(Headers);
    const TImageLayout layout = ParseImageLayout(headers);
    EXPECT_EQ(layout.ImageBase, 0x400000u);
    EXPECT_EQ(layout.CodeEnd, 0x402000u);
    EXPECT_EQ(layout.NextSectionAddress, 0x404000u);
    std::istringstream nothing("no headers here\n");
    EXPECT_THROW(ParseImageLayout(nothing), EAddressTableError);
}

TEST(AddressTable, FindsProcedureUnitAndLine)
{
    const auto bytes = SampleTable();
    const TAddressTable table(bytes);
    ASSERT_FALSE(table.Empty());

    const auto start = table.Lookup(0x1204);
    ASSERT_TRUE(start);
    EXPECT_EQ(start->ProcedureName, "TRegistry::GetText");
    EXPECT_EQ(start->UnitName, "Registry_win");
    EXPECT_EQ(start->Line, 251u);
    EXPECT_EQ(start->FileName, "Registry_win.cpp");

    const auto inlined = table.Lookup(0x1215);
    ASSERT_TRUE(inlined);
    EXPECT_EQ(inlined->UnitName, "Registry_win");
    EXPECT_EQ(inlined->Line, 1065u);
    EXPECT_EQ(inlined->FileName, "basic_string.h");
    EXPECT_EQ(table.Lookup(0x123F)->Line, 261u);
}

TEST(AddressTable, KnowsTheProcedureButNoLineAfterASequenceEnds)
{
    const auto bytes = SampleTable();
    const TAddressTable table(bytes);
    const auto afterEnd = table.Lookup(0x1250);
    ASSERT_TRUE(afterEnd);
    EXPECT_EQ(afterEnd->ProcedureName, "TRegistry::GetText");
    EXPECT_EQ(afterEnd->Line, 0u);
    // A procedure without line information has no unit either.
    const auto cold = table.Lookup(0x1100);
    ASSERT_TRUE(cold);
    EXPECT_EQ(cold->ProcedureName, "Checked");
    EXPECT_EQ(cold->UnitName, "");
    EXPECT_EQ(cold->Line, 0u);
}

TEST(AddressTable, KnowsNothingOutsideTheCode)
{
    const auto bytes = SampleTable();
    const TAddressTable table(bytes);
    EXPECT_FALSE(table.Lookup(0x0FFF));
    EXPECT_FALSE(table.Lookup(0x2000));
    EXPECT_FALSE(table.Lookup(0x9000));
    const auto last = table.Lookup(0x1FFF);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->ProcedureName, "TFileArch::ExtractFile");
    EXPECT_EQ(last->UnitName, "FileArch");
    EXPECT_EQ(last->Line, 77u);
}

TEST(AddressTable, DamagedTablesKnowNoAddress)
{
    const auto good = SampleTable();
    ASSERT_TRUE(TAddressTable(good).Lookup(0x1300));

    auto truncated = good;
    truncated.resize(good.size() - 1);
    EXPECT_TRUE(TAddressTable(truncated).Empty());
    EXPECT_TRUE(TAddressTable(std::span<const std::uint8_t>(good.data(), 10)).Empty());

    auto badMagic = good;
    badMagic[0] ^= 1;
    EXPECT_FALSE(TAddressTable(badMagic).Lookup(0x1300));

    auto hugeCount = good;
    hugeCount[11] = 0xFF; // function count
    EXPECT_FALSE(TAddressTable(hugeCount).Lookup(0x1300));

    auto badName = good;
    badName[AddressTableHeaderSize + 8 + 3] = 0x7F; // first function's name offset
    EXPECT_FALSE(TAddressTable(badName).Lookup(0x1300));

    auto unsorted = good;
    unsorted[AddressTableHeaderSize + 1] = 0x7F; // first function's start, now after the second
    EXPECT_FALSE(TAddressTable(unsorted).Lookup(0x1300));

    EXPECT_FALSE(TAddressTable().Lookup(0x1300));
}

} // namespace
