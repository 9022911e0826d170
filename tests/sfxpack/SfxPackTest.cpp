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
                           "pack -o x.exe --stub stub.exe --elevation root f.txt",
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
                             "--elevation LEVEL",
                             "sfxpack extract FILE DIR", "auto-start-by-name", "allow-cancel"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

// The level is written over the slot of the stub's manifest; the rest of
// the stub, the manifest included, keeps its bytes and its length.
TEST_F(SfxPackProgram, ElevationRewritesTheManifestSlotInPlace) {
    const std::string before = "<trustInfo><requestedExecutionLevel ";
    const std::string after = " uiAccess=\"false\"/></trustInfo>";
    std::string stub = Stub();
    const std::string asBuilt = before + "level=\"asInvoker\"           " + after;
    stub.replace(0x200, asBuilt.size(), asBuilt);
    temp.Write("manifest-stub.exe", stub);
    temp.Write("f.txt", "x");
    struct Case {
        const char* option;
        std::string slot;
    };
    const Case cases[] = {
        {"", "level=\"asInvoker\"           "},
        {"--elevation invoker", "level=\"asInvoker\"           "},
        {"--elevation highest", "level=\"highestAvailable\"    "},
        {"--elevation admin", "level=\"requireAdministrator\""},
    };
    for (const Case& c : cases) {
        Result pack = Run(std::string("pack -o sfx.exe --stub manifest-stub.exe ") + c.option +
                          " f.txt");
        ASSERT_EQ(pack.exitCode, 0) << c.option << pack.err;
        std::string packed = ReadNative(Native("sfx.exe")).substr(0, kStubSize);
        std::string expected = stub;
        expected.replace(0x200, asBuilt.size(), before + c.slot + after);
        EXPECT_EQ(packed, expected) << c.option;
    }
    // The level cannot be set in a stub without the slot.
    Result plain = Pack("--elevation admin f.txt");
    EXPECT_EQ(plain.exitCode, 1);
    EXPECT_NE(plain.err.find("execution level"), std::string::npos) << plain.err;
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

// Signed archives: signed as a publisher signs, with a throwaway
// certificate; the signature verifies and the archive still lists.
class SignedSfxPack : public SfxPackProgram {
protected:
    // Signs 'in' into 'out' (names in the temporary folder); the copy has
    // been verified against the certificate when this returns true.
    bool SignCopy(const std::string& in, const std::string& out) const {
        std::string command = std::string("sh ") + SIGN_COPY + " " + Native(in) + " " +
                              Native(out) + " 2>" + Native("sign-err.txt");
        bool ok = std::system(command.c_str()) == 0;
        if (!ok)
            ADD_FAILURE() << ReadNative(Native("sign-err.txt"));
        return ok;
    }
    static std::string WithoutSignatureLine(const std::string& listing) {
        size_t at = listing.find("signed: ");
        return at == std::string::npos ? listing
                                       : listing.substr(0, at) +
                                             listing.substr(listing.find('\n', at) + 1);
    }
};

TEST_F(SignedSfxPack, SignedArchiveVerifiesAndListsItsEntries) {
    MakePayload();
    ASSERT_EQ(Pack("--caption Setup --flags auto-start payload").exitCode, 0);
    ASSERT_TRUE(SignCopy("sfx.exe", "signed.exe"));
    std::string packed = ReadNative(Native("sfx.exe"));
    std::string signedFile = ReadNative(Native("signed.exe"));
    ASSERT_GT(signedFile.size(), packed.size());

    Result plain = Run("list sfx.exe");
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_NE(plain.out.find("signed: no\n"), std::string::npos) << plain.out;
    Result list = Run("list signed.exe");
    ASSERT_EQ(list.exitCode, 0) << list.err;
    // The signer pads the file to 8 bytes before the table it appends.
    size_t tableStart = (packed.size() + 7) / 8 * 8;
    std::string expected = "signed: yes, certificate table at " + std::to_string(tableStart) +
                           ", " + std::to_string(signedFile.size() - tableStart) + " bytes\n";
    EXPECT_NE(list.out.find(expected), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("entries: 2\n"), std::string::npos) << list.out;
    EXPECT_EQ(WithoutSignatureLine(list.out), WithoutSignatureLine(plain.out));
}

TEST_F(SignedSfxPack, SignedStubLeavesNoStaleSignatureInThePackedArchive) {
    ASSERT_TRUE(SignCopy("stub.exe", "signed-stub.exe"));
    temp.Write("f.txt", "some text");
    ASSERT_EQ(Run("pack -o sfx.exe --stub signed-stub.exe f.txt").exitCode, 0);
    std::string packed = ReadNative(Native("sfx.exe"));
    ASSERT_GE(packed.size(), kTestSecurityEntry + 8);
    EXPECT_EQ(packed.substr(kTestSecurityEntry, 8), std::string(8, '\0'));
    Result list = Run("list sfx.exe");
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("signed: no\n"), std::string::npos) << list.out;

    ASSERT_TRUE(SignCopy("sfx.exe", "signed.exe"));
    Result signedList = Run("list signed.exe");
    ASSERT_EQ(signedList.exitCode, 0) << signedList.err;
    EXPECT_NE(signedList.out.find("signed: yes"), std::string::npos) << signedList.out;
    EXPECT_NE(signedList.out.find("f.txt\t9\t"), std::string::npos) << signedList.out;
}

TEST_F(SignedSfxPack, SignedArchiveCutShortIsCorrupt) {
    temp.Write("f.txt", "some text");
    ASSERT_EQ(Pack("f.txt").exitCode, 0);
    ASSERT_TRUE(SignCopy("sfx.exe", "signed.exe"));
    std::string signedFile = ReadNative(Native("signed.exe"));
    temp.Write("cut.exe", signedFile.substr(0, signedFile.size() - 200));
    Result list = Run("list cut.exe");
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(list.err, "Archivo corrupto, prueba a descargar el archivo otra vez.\n");
}

}  // namespace
