// The program as it is shipped: one executable without symbols or debug sections.
#include "AppDriver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace qvtest;

namespace {

// The names of a PE file's sections; a long name ("/4") points into the symbol table's
// strings, which only a file with symbols has.
std::vector<std::string> SectionNames(const std::string& file)
{
    std::vector<std::string> names;
    if (file.size() < 0x40)
        return names;
    std::uint32_t peAt = 0;
    std::memcpy(&peAt, file.data() + 0x3C, 4);
    if (file.size() < peAt + 24 || file.compare(peAt, 4, std::string("PE\0\0", 4)) != 0)
        return names;
    std::uint16_t count = 0, optionalSize = 0;
    std::memcpy(&count, file.data() + peAt + 6, 2);
    std::memcpy(&optionalSize, file.data() + peAt + 20, 2);
    size_t at = peAt + 24 + optionalSize;
    for (int i = 0; i < count && at + 40 <= file.size(); ++i, at += 40) {
        std::string name(file.data() + at, 8);
        name.resize(std::strlen(name.c_str()));
        names.push_back(name);
    }
    return names;
}

} // namespace

#ifdef NDEBUG
TEST(ShippedProgram, CarriesNoSymbolsOrDebugSections)
{
    const std::string exe = ReadBytes(AppDriver::BuildDir() + L"app\\Quorvane.exe");
    const std::vector<std::string> names = SectionNames(exe);
    ASSERT_FALSE(names.empty()) << "not a program file";
    for (const std::string& name : names) {
        EXPECT_NE(0u, name.rfind(".debug", 0)) << name;
        EXPECT_NE('/', name[0]) << "a long section name (debug information): " << name;
    }
    std::uint32_t peAt = 0, symbols = 0;
    std::memcpy(&peAt, exe.data() + 0x3C, 4);
    std::memcpy(&symbols, exe.data() + peAt + 12, 4);
    EXPECT_EQ(0u, symbols) << "the symbol table is still there";
}
#endif
