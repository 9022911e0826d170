// sfxpack driven as a program through real files: packing folders, files
// and existing archives, listing them as the stub reads them, usage errors.
#include "SfxPackFixture.h"

namespace {

TEST_F(SfxPackProgram, FolderContentsArePackedRelativeToTheFolder) {
    MakePayload();
    Result pack = Pack("--caption Setup --dest '><' payload");
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    Result list = Run("list sfx.exe");
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("overlay start: 1024\n"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("caption: Setup\n"), std::string::npos);
    EXPECT_NE(list.out.find("destination: ><\n"), std::string::npos);
    EXPECT_NE(list.out.find("entries: 2\n"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("docs\\readme.txt\t17\t"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("setup.exe\t5003\tdeflated\t"), std::string::npos) << list.out;
    EXPECT_EQ(list.out.find("payload"), std::string::npos);
    // The archive inside reads in other tools too: offsets are absolute.
    EXPECT_EQ(Unzip(Native("sfx.exe") + " docs/readme.txt"), "read me\r\nplease\r\n");
}

TEST_F(SfxPackProgram, FileIsStoredUnderItsOwnNameWithPasswordAndStore) {
    temp.Write("data/notes.txt", "secret notes");
    Result pack = Pack("--store --password pw1 data/notes.txt");
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    Result list = Run("list sfx.exe");
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("notes.txt\t12\tstored+encrypted\t"), std::string::npos) << list.out;
    EXPECT_EQ(Unzip("-P pw1 " + Native("sfx.exe") + " notes.txt"), "secret notes");
}

TEST_F(SfxPackProgram, ExistingArchiveIsAppendedUnchanged) {
    MakePayload();
    ASSERT_EQ(std::system(("cd " + Native("payload") + " && zip -q -r ../in.zip .").c_str()), 0);
    Result pack = Pack("--flags user-selects,auto-start --overwrite never --zip in.zip");
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    std::string sfx = ReadNative(Native("sfx.exe")), zip = ReadNative(Native("in.zip"));
    ASSERT_GE(sfx.size(), zip.size());
    EXPECT_EQ(sfx.substr(sfx.size() - zip.size()), zip);
    Result list = Run("list sfx.exe");
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("flags: 0x000A user-selects,auto-start\n"), std::string::npos)
        << list.out;
    EXPECT_NE(list.out.find("overwrite: never\n"), std::string::npos);
    EXPECT_NE(list.out.find("offset delta: " + std::to_string(sfx.size() - zip.size())),
              std::string::npos)
        << list.out;
    EXPECT_NE(list.out.find("docs\\readme.txt\t17\t"), std::string::npos);
}

TEST_F(SfxPackProgram, UnusableInputsExitWithOne) {
    temp.Write("bad.zip", "not an archive at all, just some words");
    Result badZip = Pack("--zip bad.zip");
    EXPECT_EQ(badZip.exitCode, 1);
    EXPECT_NE(badZip.err.find("Archivo corrupto"), std::string::npos) << badZip.err;

    Result emptyOverlay = Run("list stub.exe");
    EXPECT_EQ(emptyOverlay.exitCode, 1);
    EXPECT_EQ(emptyOverlay.err, "Archivo corrupto, prueba a descargar el archivo otra vez.\n");

    temp.Write("notpe.exe", std::string(100, 'x'));
    temp.Write("f.txt", "x");
    EXPECT_EQ(Run("pack -o o.exe --stub notpe.exe f.txt").exitCode, 1);
}

TEST_F(SfxPackProgram, BadUsageExitsWithTwo) {
    temp.Write("f.txt", "x");
    const char* cases[] = {"",
                           "pack",
                           "pack -o x.exe f.txt",
                           "pack -o x.exe --stub stub.exe",
                           "pack -o x.exe --stub stub.exe --bogus f.txt",
                           "pack -o x.exe --stub stub.exe --flags fly f.txt",
                           "pack -o x.exe --stub stub.exe --overwrite maybe f.txt",
                           "pack -o x.exe --stub stub.exe --store --level 5 f.txt",
                           "pack -o x.exe --stub stub.exe --level 12 f.txt",
                           "pack -o x.exe --stub stub.exe --zip a.zip f.txt",
                           "pack -o x.exe --stub stub.exe --caption",
                           "list"};
    for (const char* args : cases)
        EXPECT_EQ(Run(args).exitCode, 2) << args;
}

TEST_F(SfxPackProgram, HelpListsEveryOptionAndFlag) {
    Result help = Run("--help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* word : {"-o OUT", "--stub", "--caption", "--dest", "--command", "--fallback",
                             "--message ", "--message-style", "--flags", "--overwrite",
                             "--password", "--store", "--level", "--zip", "--volume-size",
                             "sfxpack extract FILE DIR", "auto-start-by-name", "allow-cancel"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

TEST_F(SfxPackProgram, FlagsAsANumberAndMessageStyle) {
    temp.Write("f.txt", "x");
    Result pack = Pack("--flags 0x220 --message-style 36 --message Go? f.txt");
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    Result list = Run("list sfx.exe");
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("flags: 0x0220 expand-env,allow-cancel\n"), std::string::npos)
        << list.out;
    EXPECT_NE(list.out.find("message style: 36\n"), std::string::npos);
    EXPECT_NE(list.out.find("message: Go?\n"), std::string::npos);
}

}  // namespace
