// End to end: self-extractors made with sfxpack's packer around the real
// unfurl.exe, started and driven by the robot through their dialogs. Each
// case starts its own extractor (under Wine a process start is slow, so
// every case covers several behaviours); the last one compares the dialog
// heights the others measured.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "Pack.h"
#include "SFXDefs.h"
#include "SFXResource.h"
#include "support/StubArchive.h"
#include "support/TempFolder.h"
#include "win32/Robot.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kCaption = "Prueba de Scrollix";
constexpr const char* kCorrupt = "Archivo corrupto, prueba a descargar el archivo otra vez.";
constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::string ScreenshotFolder() {
    fs::path folder = fs::current_path().parent_path() / "screenshots";
    fs::create_directories(folder);
    return folder.string() + "\\";
}

void Screenshot(const robot::Process& program, const std::string& name) {
    robot::SaveScreenshotOf(program.id(), ScreenshotFolder() + name + ".bmp");
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Bytes that deflate cannot shrink much, so extraction takes a moment.
std::string NoiseBytes(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 23);
    }
    return bytes;
}

// A control-click on the list's first row (list-view messages that carry
// pointers cannot be sent from another process). Wine's list view reads
// the keys from the message.
void ControlClickFirstRow(HWND list) {
    RECT header;
    GetWindowRect(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0)), &header);
    POINT at{header.left + 20, header.bottom + 6};
    ScreenToClient(list, &at);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(at.x, at.y));
    PostMessageA(list, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(at.x, at.y));
}

// Dialog height and the top of "&Iniciar" (client coordinates), in pixels.
struct Geometry {
    int height, startTop;
};
std::map<int, Geometry> MeasuredByUnits;

int UnitsToPixels(int units) { return MulDiv(units, HIWORD(GetDialogBaseUnits()), 8); }

Geometry Measure(HWND dialog) {
    RECT window, button;
    GetWindowRect(dialog, &window);
    GetWindowRect(GetDlgItem(dialog, IDOK), &button);
    POINT top{button.left, button.top};
    ScreenToClient(dialog, &top);
    return {window.bottom - window.top, top.y};
}

// Without a window manager Wine draws the captions itself only when told
// to; the setting is put back when the suite ends.
class WineDrawsCaptions : public ::testing::Environment {
public:
    void SetUp() override {
        if (RegCreateKeyA(HKEY_CURRENT_USER, kX11Driver, &key_) != ERROR_SUCCESS)
            return;
        char old[16] = {};
        DWORD size = sizeof old;
        had_ = RegQueryValueExA(key_, "Decorated", nullptr, nullptr,
                                reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        old_ = old;
        RegSetValueExA(key_, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    }
    void TearDown() override {
        if (!key_)
            return;
        if (had_)
            RegSetValueExA(key_, "Decorated", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(old_.c_str()),
                           static_cast<DWORD>(old_.size() + 1));
        else
            RegDeleteValueA(key_, "Decorated");
        RegCloseKey(key_);
    }

private:
    static constexpr const char* kX11Driver = "Software\\Wine\\X11 Driver";
    HKEY key_ = nullptr;
    bool had_ = false;
    std::string old_;
};

const auto* const kCaptions = ::testing::AddGlobalTestEnvironment(new WineDrawsCaptions);

class UnfurlDialogs : public ::testing::Test {
protected:
    TempFolder dir;
    robot::Process program;
    std::vector<std::string> texts;   // texts of the message boxes seen

    fs::path Root() const { return fs::path(dir.Path()); }

    // Packs the files with the header options into 'name'.
    std::string Pack(const std::string& name, const PackOptions& options,
                     const std::map<std::string, std::string>& files) {
        return PackFilesOntoStub(options, Root() / name, Root() / "source", files);
    }

    bool Start(const std::string& exe, const fs::path& folder) {
        fs::create_directories(folder);
        return program.Start(exe, folder.string());
    }

    HWND Window(const std::string& caption, std::chrono::seconds timeout = robot::kStepTimeout) {
        return robot::WaitForWindow(program.id(), "#32770", caption, timeout);
    }
    HWND MainDialog(std::chrono::seconds timeout = robot::kStepTimeout) {
        return Window(kCaption, timeout);
    }
    // A box with this caption other than 'except' (the main dialog has the
    // same caption as its questions).
    HWND OtherWindow(const std::string& caption, HWND except) {
        OtherSearch s{program.id(), caption, except, nullptr};
        robot::WaitFor([&] {
            EnumWindows(VisitOther, reinterpret_cast<LPARAM>(&s));
            return s.found != nullptr;
        }, robot::kStepTimeout);
        return s.found;
    }
    struct OtherSearch {
        DWORD processId;
        std::string caption;
        HWND except, found;
    };
    static BOOL CALLBACK VisitOther(HWND hwnd, LPARAM param) {
        auto* s = reinterpret_cast<OtherSearch*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s->processId && hwnd != s->except && IsWindowVisible(hwnd) &&
            robot::Text(hwnd) == s->caption)
            s->found = hwnd;
        return s->found == nullptr;
    }

    // Reads the box's text, keeps it, and presses the button.
    void Answer(HWND box, int button) {
        ASSERT_NE(box, nullptr);
        texts.push_back(robot::Text(robot::FindControl(box, 0xFFFF)));
        robot::Click(robot::FindControl(box, button));
        robot::WaitUntilGone(box, robot::kStepTimeout);
    }

    static HWND Control(HWND dialog, int id) { return GetDlgItem(dialog, id); }
    static bool Checked(HWND dialog, int id) {
        return SendMessageA(Control(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
};

// The list as the archive holds it, the run check box, the volatile
// destination, the done message, the command started from there and the
// RunOnce value that removes the folder at the next logon.
TEST_F(UnfurlDialogs, ExtractsToTheVolatileFolderRunsTheCommandAndSchedulesRemoval) {
    std::string probe = ReadFile(fs::current_path() / "unfurl_probe.exe");
    ASSERT_FALSE(probe.empty());
    PackOptions o;
    o.strings[0] = kCaption;
    o.strings[1] = "<VOLATILE>";
    o.strings[2] = "><probe.exe|/S";
    o.flags = FLAG_OFFER_RUN | FLAG_HIDE_OVERWRITE | FLAG_LIST_HIDDEN;
    std::string exe = Pack("volatile.exe", o,
                           {{"docs\\readme.txt", "read me\r\n"}, {"probe.exe", probe},
                            {"z-data.bin", std::string(1234, 'z')}});
    ASSERT_TRUE(Start(exe, Root() / "cwd"));

    HWND dialog = MainDialog(robot::kStartTimeout);
    ASSERT_NE(dialog, nullptr);
    HWND list = Control(dialog, IDC_FILE_LIST);
    EXPECT_FALSE(IsWindowVisible(list)) << "the list starts hidden";
    EXPECT_EQ(robot::Text(Control(dialog, IDC_RUN)), "Despu\xe9s de extraer, instalar: probe.exe S");
    EXPECT_TRUE(Checked(dialog, IDC_RUN));
    EXPECT_EQ(Control(dialog, IDC_OVERWRITE_GROUP), nullptr);
    std::string destination = robot::Text(Control(dialog, IDC_DESTINATION));
    std::string folderName = fs::path(destination).parent_path().filename().string();
    EXPECT_EQ(folderName.substr(0, 3), "sfx") << destination;
    EXPECT_EQ(destination.back(), '\\') << destination;
    Screenshot(program, "unfurl-main-compact");

    robot::Click(Control(dialog, IDC_SHOW_FILES));
    ASSERT_TRUE(robot::WaitFor([&] { return IsWindowVisible(list) != 0; }, robot::kStepTimeout));
    EXPECT_TRUE(robot::WaitFor([&] { return Control(dialog, IDC_SHOW_FILES) == nullptr; },
                               robot::kStepTimeout));
    // Names and sizes are in the screenshot; their texts cannot be read
    // from this process.
    EXPECT_EQ(ListView_GetItemCount(list), 3) << "the folder entry is not listed";
    MeasuredByUnits[23] = Measure(dialog);
    Screenshot(program, "unfurl-main-expanded");

    robot::Click(Control(dialog, IDOK));
    Answer(Window("Terminado."), IDOK);
    EXPECT_EQ(texts.back(), "Se han extraido todos los archivos.");
    // The shell waits a while for the started program to become idle.
    EXPECT_EQ(program.Wait(robot::kStartTimeout), 0);

    fs::path folder(destination);
    EXPECT_EQ(ReadFile(folder / "docs" / "readme.txt"), "read me\r\n");
    EXPECT_EQ(ReadFile(folder / "z-data.bin"), std::string(1234, 'z'));
    fs::path record = folder / "probe.txt";
    // The probe names its record only once it is complete.
    ASSERT_TRUE(robot::WaitFor([&] { return fs::exists(record); }, robot::kStartTimeout))
        << "the command did not run";
    std::string report = ReadFile(record);
    EXPECT_NE(report.find(" /S\n"), std::string::npos) << report;
    EXPECT_NE(Lower(report).find(Lower(destination.substr(0, destination.size() - 1)) + "\n"),
              std::string::npos)
        << "started in the destination: " << report;
    EXPECT_NE(report.find_first_of("0123456789", report.rfind('\n', report.size() - 2)),
              std::string::npos)
        << "TICKS is inherited: " << report;

    // The value lands under the machine's hive, or the user's when that fails.
    std::string expected = "cmd.exe /c @rd /s /q \"%temp%\\" + folderName + "\">nul 2>nul";
    std::string found;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        HKEY key;
        if (RegOpenKeyExA(root, kRunOnce, 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
            continue;
        char data[512] = {};
        DWORD size = sizeof data, type = 0;
        if (RegQueryValueExA(key, folderName.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS) {
            EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
            found = data;
            RegDeleteValueA(key, folderName.c_str());
        }
        RegCloseKey(key);
    }
    EXPECT_EQ(found, expected);
    fs::remove_all(folder);
}

// Extraction starts by itself and the program ends. A file already there
// holds the run at the overwrite question, where the full dialog is
// measured while it extracts.
TEST_F(UnfurlDialogs, AutoStartWithoutDoneMessageExtractsAndEnds) {
    PackOptions o;
    o.strings[0] = kCaption;
    o.strings[1] = (Root() / "out").string();
    o.flags = FLAG_OFFER_RUN | FLAG_AUTO_START | FLAG_NO_DONE_MESSAGE;
    o.overwriteMode = OVERWRITE_ASK;
    o.store = true;
    std::map<std::string, std::string> files;
    for (int i = 0; i < 24; ++i)
        files["part" + std::to_string(10 + i) + ".bin"] = NoiseBytes(400000, i);
    std::string exe = Pack("auto.exe", o, files);
    WriteFile(Root() / "out" / "part20.bin", "old");
    ASSERT_TRUE(Start(exe, Root() / "cwd"));
    HWND exists = Window("Confirmar sobreescritura", robot::kStartTimeout);
    ASSERT_NE(exists, nullptr) << "no overwrite question";
    HWND dialog = MainDialog();
    ASSERT_NE(dialog, nullptr);
    MeasuredByUnits[0] = Measure(dialog);
    EXPECT_TRUE(fs::exists(Root() / "out" / "part10.bin")) << "the files before it are written";
    Screenshot(program, "unfurl-extracting");
    robot::Click(Control(exists, IDOK));
    EXPECT_EQ(program.Wait(robot::kStartTimeout), 0);
    for (const auto& [name, bytes] : files)
        EXPECT_EQ(ReadFile(Root() / "out" / name), bytes) << name;
}

// A damaged central directory is reported and ends with exit code 1.
TEST_F(UnfurlDialogs, DamagedArchiveIsReportedAndEndsWithOne) {
    PackOptions o;
    o.strings[0] = kCaption;
    o.strings[1] = (Root() / "out").string();
    std::string exe = Pack("damaged.exe", o, {{"a.txt", "alpha"}, {"b.txt", "beta"}});
    std::string bytes = ReadFile(exe);
    const std::string central{'P', 'K', '\x01', '\x02'};
    size_t at = bytes.rfind(central);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 2] = '\x07';
    WriteFile(exe, bytes);
    ASSERT_TRUE(Start(exe, Root() / "cwd"));
    Answer(Window("Error...", robot::kStartTimeout), IDOK);
    EXPECT_EQ(texts.back(), kCorrupt);
    EXPECT_EQ(program.Wait(robot::kStepTimeout), 1);
    EXPECT_FALSE(fs::exists(Root() / "out"));
}

// "No" to the start-up question ends the program at once.
TEST_F(UnfurlDialogs, DeclinedStartUpMessageEndsWithZeroAndNothingExtracted) {
    PackOptions o;
    o.strings[0] = kCaption;
    o.strings[1] = (Root() / "out").string();
    o.strings[4] = "\xbfInstalar la prueba?";
    o.messageStyle = MB_YESNO | MB_ICONQUESTION;
    std::string exe = Pack("question.exe", o, {{"a.txt", "alpha"}});
    ASSERT_TRUE(Start(exe, Root() / "cwd"));
    Answer(Window(kCaption, robot::kStartTimeout), IDNO);
    EXPECT_EQ(texts.back(), "\xbfInstalar la prueba?");
    EXPECT_EQ(program.Wait(robot::kStepTimeout), 0);
    EXPECT_FALSE(fs::exists(Root() / "out"));
}

// The user picks files; an empty destination box becomes the current
// directory; the overwrite question with "do not ask again"; a wrong then
// a right password; a confirmed cancel.
TEST_F(UnfurlDialogs, SelectionQuestionsPasswordAndCancel) {
    PackOptions o;
    o.strings[0] = kCaption;
    fs::path out = Root() / "out";
    o.strings[1] = out.string();
    o.flags = FLAG_ALLOW_CANCEL;
    o.overwriteMode = OVERWRITE_ASK;
    o.password = "abre";
    std::map<std::string, std::string> files = {
        {"a-old.txt", "new a"}, {"b-old.txt", "new b"}, {"c-new.txt", "new c"}};
    o.store = true;
    for (int i = 0; i < 12; ++i)
        files["d" + std::to_string(10 + i) + ".bin"] = NoiseBytes(2000000, i);
    std::string exe = Pack("questions.exe", o, files);
    WriteFile(out / "a-old.txt", "old a");
    WriteFile(out / "b-old.txt", "old b");
    fs::path cwd = Root() / "cwd";
    ASSERT_TRUE(Start(exe, cwd));

    HWND dialog = MainDialog(robot::kStartTimeout);
    ASSERT_NE(dialog, nullptr);
    MeasuredByUnits[10] = Measure(dialog);
    HWND list = Control(dialog, IDC_FILE_LIST);
    HWND start = Control(dialog, IDOK);
    ASSERT_EQ(ListView_GetItemCount(list), 15);
    EXPECT_EQ(ListView_GetSelectedCount(list), 0u) << "all are taken at the start";
    EXPECT_TRUE(Checked(dialog, IDC_OVERWRITE_ASK));
    EXPECT_EQ(Control(dialog, IDC_RUN), nullptr);

    HWND edit = Control(dialog, IDC_DESTINATION);
    robot::SetText(edit, "\\\\");
    robot::Click(start);
    ASSERT_TRUE(robot::WaitFor([&] { return robot::Text(edit) != "\\\\"; }, robot::kStepTimeout));
    EXPECT_EQ(Lower(robot::Text(edit)), Lower(cwd.string()));
    EXPECT_TRUE(fs::is_empty(cwd)) << "nothing extracted yet";
    robot::SetText(edit, out.string());

    robot::Click(start);
    HWND exists = Window("Confirmar sobreescritura");
    ASSERT_NE(exists, nullptr);
    EXPECT_EQ(robot::Text(Control(exists, IDC_EXIST_TEXT)),
              (out / "a-old.txt").string() + " ya existe, \xbf sobreescribirlo ?");
    Screenshot(program, "unfurl-fileexist");
    SendMessageA(Control(exists, IDC_DONT_ASK), BM_SETCHECK, BST_CHECKED, 0);
    robot::Click(Control(exists, IDCANCEL));
    robot::WaitUntilGone(exists, robot::kStepTimeout);
    EXPECT_TRUE(Checked(dialog, IDC_OVERWRITE_NEVER));
    EXPECT_FALSE(Checked(dialog, IDC_OVERWRITE_ASK));

    HWND password = Window("Contrase\xf1" "a para c-new.txt:");
    ASSERT_NE(password, nullptr) << "b-old.txt was not asked about";
    HWND ok = Control(password, IDOK);
    EXPECT_FALSE(IsWindowEnabled(ok));
    robot::SetText(Control(password, IDC_PASSWORD), "mal");
    ASSERT_TRUE(robot::WaitFor([&] { return IsWindowEnabled(ok) != 0; }, robot::kStepTimeout));
    Screenshot(program, "unfurl-passwd");
    robot::Click(ok);
    robot::WaitUntilGone(password, robot::kStepTimeout);
    password = Window("Contrase\xf1" "a para c-new.txt:");
    ASSERT_NE(password, nullptr) << "asked again after a wrong password";
    robot::SetText(Control(password, IDC_PASSWORD), "abre");
    robot::Click(Control(password, IDOK));
    // Cancel once the right password has written its file, while the
    // large entries after it are being extracted.
    ASSERT_TRUE(robot::WaitFor([&] { return fs::exists(out / "c-new.txt"); }, robot::kStepTimeout));
    robot::Click(Control(dialog, IDCANCEL));
    Answer(OtherWindow(kCaption, dialog), IDYES);
    EXPECT_EQ(texts.back(), "\xbfQuieres cancelar la extracci\xf3n?");
    bool failureShown = false;
    int exitCode = -1;
    robot::WaitFor([&] {
        failureShown |= robot::WaitForWindow(program.id(), "#32770", "Error...", 0s) != nullptr;
        exitCode = program.Wait(0s);
        return exitCode != -1;
    }, robot::kStepTimeout);
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(failureShown) << "a confirmed cancel shows no failure message";

    EXPECT_EQ(ReadFile(out / "a-old.txt"), "old a");
    EXPECT_EQ(ReadFile(out / "b-old.txt"), "old b");
    EXPECT_EQ(ReadFile(out / "c-new.txt"), "new c");
    EXPECT_FALSE(fs::exists(out / "d21.bin")) << "the run stopped at the cancel";
}

// Both rows removed; the user picks the files and "&Iniciar" follows the
// selection.
TEST_F(UnfurlDialogs, UserSelectionEnablesStartInTheSmallestDialog) {
    PackOptions o;
    o.strings[0] = kCaption;
    o.strings[1] = (Root() / "out").string();
    o.flags = FLAG_HIDE_OVERWRITE | FLAG_USER_SELECTS;
    std::string exe = Pack("small.exe", o, {{"a.txt", "alpha"}});
    ASSERT_TRUE(Start(exe, Root() / "cwd"));
    HWND dialog = MainDialog(robot::kStartTimeout);
    ASSERT_NE(dialog, nullptr);
    MeasuredByUnits[38] = Measure(dialog);
    EXPECT_EQ(Control(dialog, IDC_RUN), nullptr);
    HWND list = Control(dialog, IDC_FILE_LIST);
    HWND start = Control(dialog, IDOK);
    EXPECT_EQ(ListView_GetSelectedCount(list), 1u) << "items start selected";
    EXPECT_TRUE(IsWindowEnabled(start));
    ControlClickFirstRow(list);
    EXPECT_TRUE(robot::WaitFor([&] { return ListView_GetSelectedCount(list) == 0; },
                               robot::kStepTimeout));
    EXPECT_TRUE(robot::WaitFor([&] { return !IsWindowEnabled(start); }, robot::kStepTimeout))
        << "nothing selected";
    ControlClickFirstRow(list);
    EXPECT_TRUE(robot::WaitFor([&] { return IsWindowEnabled(start) != 0; }, robot::kStepTimeout));
    robot::Click(Control(dialog, IDCANCEL));
    EXPECT_EQ(program.Wait(robot::kStepTimeout), 0);
    EXPECT_FALSE(fs::exists(Root() / "out"));
}

// The heights of the four kinds of dialog, all with the list shown.
TEST(UnfurlDialogHeights, DifferByTheRemovedRows) {
    ASSERT_TRUE(MeasuredByUnits.count(0)) << "the full dialog was not measured";
    Geometry full = MeasuredByUnits[0];
    for (int units : {10, 23, 38}) {
        ASSERT_TRUE(MeasuredByUnits.count(units)) << units;
        EXPECT_EQ(full.height - MeasuredByUnits[units].height, UnitsToPixels(units)) << units;
        EXPECT_EQ(full.startTop - MeasuredByUnits[units].startTop, UnitsToPixels(units)) << units;
    }
}

}  // namespace
