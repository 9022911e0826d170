// The import list adds without duplicates, removes the selection and moves
// selected blocks the way the arrow buttons do; the open-file dialog's
// result is split into folder and names.
#include <gtest/gtest.h>

#include "ui/ImportList.h"
#include "ui/ModDlgSelectFileInfo.h"

namespace {

ImportList ListOf(std::initializer_list<std::pair<const char*, bool>> items) {
    ImportList list;
    for (auto [path, selected] : items)
        list.items.push_back({path, selected});
    return list;
}

std::string Shown(const ImportList& list) {
    std::string out;
    for (const ImportItem& item : list.items)
        out += item.selected ? "[" + item.path + "]" : item.path;
    return out;
}

TEST(ImportList, AppendSkipsExactDuplicatesOnly) {
    ImportList list;
    EXPECT_TRUE(list.Append("C:\\Docs\\a.txt"));
    EXPECT_FALSE(list.Append("C:\\Docs\\a.txt"));
    EXPECT_TRUE(list.Append("C:\\Docs\\A.txt"));
    EXPECT_EQ(Shown(list), "C:\\Docs\\a.txtC:\\Docs\\A.txt");
}

TEST(ImportList, HoldsAtMost32767Items) {
    ImportList list;
    for (size_t i = 0; i < kMaxImportItems; ++i)
        list.items.push_back({std::to_string(i), false});
    EXPECT_FALSE(list.Append("one more"));
    EXPECT_EQ(list.items.size(), kMaxImportItems);
}

TEST(ImportList, MoveUpMovesSelectedBlocksOnePlace) {
    ImportList list = ListOf({{"p", false}, {"q", true}, {"r", true}, {"s", false}});
    list.MoveSelectedUp();
    EXPECT_EQ(Shown(list), "[q][r]ps");
    list.MoveSelectedUp();
    EXPECT_EQ(Shown(list), "[q][r]ps") << "a block at the top stays";
}

TEST(ImportList, MoveDownPassesUnselectedNeighbours) {
    ImportList list = ListOf({{"p", true}, {"q", false}, {"r", true}});
    list.MoveSelectedDown();
    EXPECT_EQ(Shown(list), "q[p][r]");
    list = ListOf({{"a", true}, {"b", true}, {"c", false}, {"d", false}});
    list.MoveSelectedDown();
    EXPECT_EQ(Shown(list), "c[a][b]d");
}

TEST(ImportList, RemoveSelectedKeepsTheRestInOrder) {
    ImportList list = ListOf({{"a", true}, {"b", false}, {"c", true}, {"d", false}});
    EXPECT_TRUE(list.AnySelected());
    list.RemoveSelected();
    EXPECT_EQ(Shown(list), "bd");
    EXPECT_FALSE(list.AnySelected());
}

TEST(SelectedFileInfo, OneFileGivesItsName) {
    SelectedFileInfo info = GetDlgSelectFileInfo("C:\\Docs", "C:\\Docs\\report.htm");
    EXPECT_EQ(info.Count, 1);
    EXPECT_EQ(info.Path, "C:\\Docs\\");
    ASSERT_EQ(info.Files.size(), 1u);
    EXPECT_EQ(info.Files[0], "report.htm");
}

TEST(SelectedFileInfo, OneFileInADriveRootHasOneBackslash) {
    SelectedFileInfo info = GetDlgSelectFileInfo("C:\\", "C:\\x.txt");
    EXPECT_EQ(info.Path + info.Files.at(0), "C:\\x.txt");
}

TEST(SelectedFileInfo, SeveralFilesKeepTheDialogsOrder) {
    std::string result("C:\\Docs\0b.txt\0a.htm\0c.rtf", 25);
    SelectedFileInfo info = GetDlgSelectFileInfo("C:\\Docs", result);
    EXPECT_EQ(info.Count, 3);
    EXPECT_EQ(info.Path, "C:\\Docs\\");
    EXPECT_EQ(info.Files, (std::vector<std::string>{"b.txt", "a.htm", "c.rtf"}));
    EXPECT_EQ(RememberedInputFolder(result), "C:\\Docs");
    EXPECT_EQ(RememberedInputFolder("C:\\Docs\\one.txt"), "C:\\Docs\\one.txt");
}

}  // namespace
