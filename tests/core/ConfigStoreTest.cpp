#include "core/ConfigStore.h"
#include "core/CoreTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace qv::core;
using qvtest::Entries;
using qvtest::ProgramDirScope;
using qvtest::ReadBytes;
using qvtest::TempDir;
using qvtest::WriteBytes;

namespace {

std::vector<std::wstring> SortedNames()
{
    std::vector<std::wstring> names = ListConfigNames();
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(ProgramDirectory, IsTheExecutablesDirectoryWithItsDelimiter)
{
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring dir = ExecutableDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(L'\\', dir.back());
    EXPECT_EQ(0, std::wstring(exe).compare(0, dir.size(), dir));
    EXPECT_EQ(std::wstring::npos, std::wstring(exe).find(L'\\', dir.size()));

    ProgramDirScope scope(L"C:\\Net");
    EXPECT_EQ(L"C:\\Net\\", ProgramDir());
    SetProgramDir(L"C:\\Net\\");
    EXPECT_EQ(L"C:\\Net\\", ProgramDir());
    EXPECT_EQ(L"C:\\Net\\家庭.NCF", ConfigFilePath(L"家庭"));
    EXPECT_EQ(L"C:\\Net\\.NCF", ConfigFilePath(L""));
}

TEST(ConfigList, EmptyOrMissingDirectoryGivesNoNames)
{
    TempDir dir(L"store");
    ProgramDirScope scope(dir.Path());
    EXPECT_TRUE(ListConfigNames().empty());
    WriteBytes(dir / L"notes.txt", "x");
    WriteBytes(dir / L"RunIt.BAT", "x");
    EXPECT_TRUE(ListConfigNames().empty());

    SetProgramDir(dir / L"missing\\");
    EXPECT_TRUE(ListConfigNames().empty());
}

TEST(ConfigList, NamesAreTheEntriesWithoutTheirExtension)
{
    TempDir dir(L"store");
    ProgramDirScope scope(dir.Path());
    WriteBytes(dir / L".NCF", "a");
    WriteBytes(dir / L"办公室.NCF", "b");
    WriteBytes(dir / L"home office.NCF", "c");
    WriteBytes(dir / L"other.txt", "d");
    ASSERT_TRUE(CreateDirectoryW((dir / L"folder.NCF").c_str(), nullptr));

    const std::vector<std::wstring> expected = {L"", L"folder", L"home office", L"办公室"};
    EXPECT_EQ(expected, SortedNames());
}

TEST(ConfigList, ExtensionInAnotherCaseIsCutByLength)
{
    TempDir dir(L"store");
    ProgramDirScope scope(dir.Path());
    WriteBytes(dir / L"lower.ncf", "a");
    EXPECT_EQ(std::vector<std::wstring>{L"lower"}, ListConfigNames());
    // Renamed in its letter case only: the extension takes the usual case too.
    EXPECT_TRUE(RenameConfig(L"lower", L"Lower"));
    EXPECT_EQ(std::vector<std::wstring>{L"Lower.NCF"}, Entries(dir.Path()));
    EXPECT_TRUE(DeleteConfig(L"lower")); // reached again through .NCF
    EXPECT_TRUE(ListConfigNames().empty());
}

TEST(ConfigFiles, NonAsciiAndSpacedNamesRoundTripThroughRenameAndDelete)
{
    TempDir dir(L"store");
    ProgramDirScope scope(dir.Path());
    WriteBytes(dir / L"办公室.NCF", "office");
    WriteBytes(dir / L"at home.NCF", "home");

    ASSERT_TRUE(RenameConfig(L"办公室", L"新 办公室"));
    EXPECT_EQ(ReadBytes(dir / L"新 办公室.NCF"), "office");
    ASSERT_TRUE(RenameConfig(L"at home", L" 家 "));
    EXPECT_EQ((std::vector<std::wstring>{L" 家 ", L"新 办公室"}), SortedNames());

    EXPECT_TRUE(DeleteConfig(L" 家 "));
    EXPECT_TRUE(DeleteConfig(L"新 办公室"));
    EXPECT_TRUE(ListConfigNames().empty());
    EXPECT_FALSE(DeleteConfig(L"新 办公室"));
    EXPECT_FALSE(RenameConfig(L"gone", L"still gone"));
}

TEST(ConfigFiles, RenameOntoAnExistingNameKeepsBothFiles)
{
    TempDir dir(L"store");
    ProgramDirScope scope(dir.Path());
    WriteBytes(dir / L"a.NCF", "first");
    WriteBytes(dir / L"b.NCF", "second");

    EXPECT_FALSE(RenameConfig(L"a", L"b"));
    EXPECT_FALSE(RenameConfig(L"a", L"B"));
    EXPECT_EQ("first", ReadBytes(dir / L"a.NCF"));
    EXPECT_EQ("second", ReadBytes(dir / L"b.NCF"));
    EXPECT_EQ((std::vector<std::wstring>{L"a.NCF", L"b.NCF"}), Entries(dir.Path()));
}

TEST(ConfigFiles, RenameToAnInvalidNameChangesNothing)
{
    TempDir dir(L"store");
    ProgramDirScope scope(dir.Path());
    WriteBytes(dir / L"a.NCF", "first");
    ASSERT_TRUE(CreateDirectoryW((dir / L"sub").c_str(), nullptr));

    for (const wchar_t* bad : {L"sub\\x", L"..\\x", L"c:x", L"NUL", L"a?"})
        EXPECT_FALSE(RenameConfig(L"a", bad)) << bad;
    EXPECT_EQ((std::vector<std::wstring>{L"a.NCF", L"sub"}), Entries(dir.Path()));
    EXPECT_TRUE(Entries(dir / L"sub\\").empty());
}

TEST(ConfigNames, PlainNamesAreAccepted)
{
    ProgramDirScope scope(L"C:\\Net\\");
    for (const wchar_t* name : {L"", L" ", L"办公室", L"home office", L"100%", L"a&b^c!(x)", L"x.y", L"..",
                                L"CONSOLE", L"COM10", L"LPT10", L"x.CON", L"NULL", L"x;y,z=1"})
        EXPECT_TRUE(IsValidConfigName(name)) << name;
}

TEST(ConfigNames, PathCharactersDevicesAndControlCharactersAreRefused)
{
    ProgramDirScope scope(L"C:\\Net\\");
    for (const wchar_t* name : {L"a\\b", L"a/b", L"c:x", L"*", L"a?", L"say \"hi\"", L"<x>", L"a|b", L"tab\there",
                                L"line\r\nbreak", L"\x7f"})
        EXPECT_FALSE(IsValidConfigName(name)) << name;
    for (const wchar_t* name : {L"CON", L"con", L"Prn", L"AUX", L"nul", L"COM1", L"com9", L"LPT1", L"lpt9",
                                L"CON.backup", L"aux ", L"COM\u00B9"})
        EXPECT_FALSE(IsValidConfigName(name)) << name;
}

TEST(ConfigNames, NamesBeyondThePathLimitAreRefused)
{
    ProgramDirScope scope(L"C:\\Net\\");
    // C:\Net\ (7) + name + .NCF (4) must stay below MAX_PATH.
    EXPECT_TRUE(IsValidConfigName(std::wstring(248, L'x')));
    EXPECT_FALSE(IsValidConfigName(std::wstring(249, L'x')));
    SetProgramDir(std::wstring(L"C:\\") + std::wstring(200, L'd') + L"\\");
    EXPECT_TRUE(IsValidConfigName(std::wstring(50, L'x')));
    EXPECT_FALSE(IsValidConfigName(std::wstring(60, L'x')));
}

TEST(ConfigNames, NamesTheConsoleCodePageCannotHoldAreRefused)
{
    ProgramDirScope scope(L"C:\\Net\\");
    EXPECT_FALSE(IsValidConfigName(L"สวัสดี"));
    EXPECT_FALSE(IsValidConfigName(L"家\U0001F600"));
    if (GetOEMCP() == 936) {
        EXPECT_TRUE(IsValidConfigName(L"家庭"));
        EXPECT_TRUE(IsValidConfigName(L"ＡＢＣ"));
    }
}
