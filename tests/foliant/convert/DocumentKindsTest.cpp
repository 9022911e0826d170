// The table of document kinds against what the user sees: the open-file
// dialog's filter in the shipped main.ini offers exactly the kinds a run
// reads, and names are matched by their ending in any letter case.
#include <gtest/gtest.h>

#include <string>

#include "convert/DocumentKinds.h"
#include "sys/System.h"

TEST(DocumentKinds, MatchTheShippedDialogFilter) {
    System& sys = PlatformSystem();
    std::string ini;
    ASSERT_TRUE(sys.ReadFile(sys.ProgramFolder() + "\\main.ini", ini));
    size_t all = ini.find("All Types|");
    ASSERT_NE(all, std::string::npos);
    size_t start = all + 10;
    std::string patterns = ini.substr(start, ini.find('|', start) - start) + ";";
    int offered = 0;
    for (size_t at = 0, semi; (semi = patterns.find(';', at)) != std::string::npos; at = semi + 1) {
        std::string pattern = patterns.substr(at, semi - at);
        ASSERT_EQ(pattern.substr(0, 2), "*.") << pattern;
        EXPECT_NE(KindOf("Book" + pattern.substr(1)).kind, InputKind::Unknown) << pattern;
        ++offered;
    }
    int kinds = 0;
    for (const DocumentKind* k = kDocumentKinds; k->kind != InputKind::Unknown; ++k, ++kinds)
        EXPECT_NE(patterns.find("*" + std::string(k->ending) + ";"), std::string::npos) << k->ending;
    EXPECT_GE(offered, kinds);

    struct Case {
        const char* name;
        InputKind kind;
    };
    const Case cases[] = {
        {"C:\\In\\BOOK.DOCX", InputKind::Docx}, {"a.Epub", InputKind::Epub},
        {"page.shtml", InputKind::Html},        {"notes.TEXT", InputKind::Text},
        {"notes.txt.bak", InputKind::Unknown},  {"doc", InputKind::Unknown},
        {"", InputKind::Unknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KindOf(c.name).kind, c.kind) << c.name;
}
