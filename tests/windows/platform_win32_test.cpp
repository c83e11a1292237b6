// The platform layer on Windows' own calls, run under Wine on the test session's display:
// paths and private folders, text conversion, the settings file, processes, windows by title,
// the pointer, capture, embedding and sound.
#include <windows.h>
// After windows.h: these need its types.
#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/base.h"
#include "platform/common/for_tests.h"
#include "platform/sound.h"
#include "platform/win32/win32_text.h"
#include "platform/window_system.h"

namespace {

using namespace std::chrono_literals;

// A fresh folder below the temporary folder, removed with everything in it afterwards.
class TempFolder {
  public:
    TempFolder() {
        wchar_t base[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, base);
        path_ = platform::win32::Narrow(base) + "velmora-test-" +
                std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count_);
        CreateDirectoryW(platform::win32::Widen(path_).c_str(), nullptr);
    }
    ~TempFolder() {
        std::wstring from = platform::win32::Widen(path_) + L'\0';
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        SHFileOperationW(&op);
    }
    const std::string& path() const { return path_; }

  private:
    static inline int count_ = 0;
    std::string path_;
};

std::string ReadBytes(const std::string& path) {
    std::ifstream in(std::filesystem::path(platform::win32::Widen(path)), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(platform::win32::Widen(path)), std::ios::binary) << bytes;
}

// Sets or clears an environment variable for the rest of one test.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const wchar_t* name, const wchar_t* value) : name_(name) {
        had_ = !platform::win32::Environment(name).empty();
        old_ = platform::win32::Widen(platform::win32::Environment(name));
        SetEnvironmentVariableW(name, value);
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

  private:
    const wchar_t* name_;
    bool had_ = false;
    std::wstring old_;
};

// Handles the messages of every window this thread owns for a while.
void Pump(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        std::this_thread::sleep_for(10ms);
    } while (std::chrono::steady_clock::now() < end);
}

// A top-level window of the test, filled with one colour, destroyed with the object.
class TestWindow {
  public:
    TestWindow(const wchar_t* title, DWORD style, RECT r, COLORREF colour = RGB(0, 0, 0)) {
        static const ATOM type = [] {
            WNDCLASSW c{};
            c.lpfnWndProc = DefWindowProcW;
            c.hInstance = GetModuleHandleW(nullptr);
            c.lpszClassName = L"VelmoraTestWindow";
            return RegisterClassW(&c);
        }();
        brush_ = CreateSolidBrush(colour);
        window_ =
            CreateWindowExW(WS_EX_TOPMOST, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(type)),
                            title, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetClassLongPtrW(window_, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush_));
        if (style & WS_VISIBLE) {
            InvalidateRect(window_, nullptr, TRUE);
            UpdateWindow(window_);
            Pump(300ms);
        }
    }
    ~TestWindow() {
        if (IsWindow(window_)) DestroyWindow(window_);
        DeleteObject(brush_);
    }
    HWND get() const { return window_; }
    platform::NativeWindow id() const { return reinterpret_cast<platform::NativeWindow>(window_); }

  private:
    HWND window_ = nullptr;
    HBRUSH brush_ = nullptr;
};

// ---- Paths and private folders ------------------------------------------------------------------

TEST(Win32Paths, ProgramFolderHoldsTheRunningProgram) {
    const std::string folder = platform::ProgramFolder();
    EXPECT_NE(
        GetFileAttributesW(platform::win32::Widen(folder + "\\platform_win32_test.exe").c_str()),
        INVALID_FILE_ATTRIBUTES)
        << folder;
}

TEST(Win32Paths, DriveRootIsVelmoraRootElsePrivateLocalAppData) {
    {
        ScopedEnvironment root(L"VELMORA_ROOT", L"D:\\velmora root");
        EXPECT_EQ(platform::DriveRoot(), "D:\\velmora root");
    }
    ScopedEnvironment root(L"VELMORA_ROOT", nullptr);
    ScopedEnvironment local(L"LOCALAPPDATA", L"C:\\Users\\Ädä\\AppData\\Local");
    EXPECT_EQ(platform::DriveRoot(), "C:\\Users\\Ädä\\AppData\\Local\\Velmora");
}

TEST(Win32Paths, PrivateFoldersAreMadeWithParentsAndOnlyTheUserMayEnter) {
    TempFolder temp;
    const std::string path = temp.path() + "\\ä root\\c\\tolvik";
    ASSERT_TRUE(platform::MakePrivateFolders(path));
    EXPECT_TRUE(platform::MakePrivateFolders(path));  // existing is fine
    EXPECT_FALSE(platform::MakePrivateFolders(""));
    WriteBytes(temp.path() + "\\file", "x");
    EXPECT_FALSE(platform::MakePrivateFolders(temp.path() + "\\file\\below"));

    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoW(platform::win32::Widen(temp.path() + "\\ä root").c_str(),
                                    SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                    &acl, nullptr, &descriptor),
              ERROR_SUCCESS);
    ASSERT_NE(acl, nullptr);
    // Only the user and the system: no entry for everyone, users or anyone else. (Wine keeps
    // the entries but not the flag that stops inheritance, so that is not asked here.)
    EXPECT_LE(acl->AceCount, 2);
    LocalFree(descriptor);
}

// Gives the folder `path` exactly the access list written as `sddl` (nothing inherited).
bool SetAccessList(const std::string& path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted);
    std::wstring wide = platform::win32::Widen(path);
    const DWORD result =
        SetNamedSecurityInfoW(wide.data(), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, acl, nullptr);
    LocalFree(descriptor);
    return result == ERROR_SUCCESS;
}

// Why FolderIsSafe refuses `path`; empty when it takes it.
std::string Refusal(const std::string& path) {
    std::string why;
    const bool safe = platform::FolderIsSafe(path, &why);
    EXPECT_EQ(safe, why.empty()) << why;
    return why;
}

TEST(Win32Paths, WorkingFoldersBelowTheRootAreRefusedWhenAnyLevelIsNotTheUsersAlone) {
    TempFolder temp;
    const std::string root = temp.path() + "\\root";
    ScopedEnvironment velmoraRoot(L"VELMORA_ROOT", platform::win32::Widen(root).c_str());
    const std::string work = root + "\\c\\tolvik";
    std::string why = "untouched";
    ASSERT_TRUE(platform::MakePrivateFolders(work, &why)) << why;
    EXPECT_EQ(why, "");
    EXPECT_EQ(Refusal(work), "");
    EXPECT_NE(Refusal(root + "\\c\\missing"), "");
    EXPECT_EQ(Refusal(""), "no working folder");

    // Everyone may add files to the root: every folder below it is refused, and making it
    // again does not hide that.
    ASSERT_TRUE(SetAccessList(root, L"D:P(A;OICI;FA;;;WD)"));
    EXPECT_NE(Refusal(work).find("can be written by other users"), std::string::npos)
        << Refusal(work);
    EXPECT_FALSE(platform::MakePrivateFolders(work, &why));
    EXPECT_NE(why.find(root), std::string::npos) << why;

    // Read-only for others is fine, and so is a folder outside the root (only it counts).
    ASSERT_TRUE(SetAccessList(root, L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;WD)"));
    EXPECT_EQ(Refusal(temp.path()), "");

    // A file where a folder should be.
    WriteBytes(root + "\\c\\file", "x");
    EXPECT_NE(Refusal(root + "\\c\\file").find("is not a folder"), std::string::npos);
}

// Makes `link` a junction (a mount point) to the folder `target`; false where that can't be done.
bool MakeJunction(const std::wstring& link, const std::wstring& target) {
    if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
    HANDLE folder = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return false;
    // The mount point's reparse data: the NT name, then the name to print, each NUL-ended.
    const std::wstring nt = L"\\??\\" + target;
    std::vector<WORD> data(8 + (nt.size() + 1 + target.size() + 1));
    const auto bytes = [](std::size_t characters) { return static_cast<WORD>(characters * 2); };
    auto* header = reinterpret_cast<DWORD*>(data.data());
    header[0] = IO_REPARSE_TAG_MOUNT_POINT;
    data[2] = static_cast<WORD>(8 + bytes(nt.size() + 1 + target.size() + 1));  // data length
    data[4] = 0;                                                                // name offset
    data[5] = bytes(nt.size());                                                 // name length
    data[6] = bytes(nt.size() + 1);                                             // print offset
    data[7] = bytes(target.size());                                             // print length
    std::copy(nt.begin(), nt.end(), data.begin() + 8);
    std::copy(target.begin(), target.end(), data.begin() + 8 + nt.size() + 1);
    DWORD returned = 0;
    const BOOL made =
        DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, data.data(),
                        static_cast<DWORD>(data.size() * 2), nullptr, 0, &returned, nullptr);
    CloseHandle(folder);
    return made;
}

bool IsReparsePoint(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

TEST(Win32Paths, AJunctionAsAWorkingFolderIsRefused) {
    TempFolder temp;
    ScopedEnvironment velmoraRoot(L"VELMORA_ROOT", platform::win32::Widen(temp.path()).c_str());
    ASSERT_TRUE(platform::MakePrivateFolders(temp.path() + "\\elsewhere"));
    const std::wstring link = platform::win32::Widen(temp.path() + "\\c");
    if (!MakeJunction(link, platform::win32::Widen(temp.path() + "\\elsewhere")) ||
        !IsReparsePoint(link))
        GTEST_SKIP() << "no junctions here";  // Wine 8 answers ERROR_NOT_SUPPORTED
    EXPECT_NE(Refusal(temp.path() + "\\c").find("link or junction"), std::string::npos);
    EXPECT_FALSE(platform::MakePrivateFolders(temp.path() + "\\c\\tolvik"));
}

// ---- Text ---------------------------------------------------------------------------------------

TEST(Win32Text, WideRoundTripKeepsJapaneseAndReplacesBrokenBytes) {
    const std::string text = "BGMﾌｧｲﾙ 区分 ｷｬﾝｾﾙ";
    EXPECT_EQ(platform::win32::Narrow(platform::win32::Widen(text)), text);
    EXPECT_EQ(platform::win32::Widen("a\xff"), L"a\xfffd");
    EXPECT_EQ(platform::win32::Widen(""), L"");
}

TEST(Win32Text, AnsiConversionRefusesWhatTheCodePageCannotCarry) {
    std::string out = "untouched";
    EXPECT_TRUE(platform::win32::Utf8ToAnsi("plain ascii", out));
    EXPECT_EQ(out, "plain ascii");
    EXPECT_FALSE(platform::win32::Utf8ToAnsi("bad \xff utf-8", out));
    if (GetACP() == 1252) {
        out = "untouched";
        EXPECT_FALSE(platform::win32::Utf8ToAnsi("区分", out));
        EXPECT_EQ(out, "untouched");
        ASSERT_TRUE(platform::win32::Utf8ToAnsi("é", out));
        EXPECT_EQ(out, "\xe9");
        ASSERT_TRUE(platform::win32::AnsiToUtf8("\xe9", out));
        EXPECT_EQ(out, "é");
    }
}

// ---- The settings file --------------------------------------------------------------------------

// The value ReadIniValue reads, which the system's profile calls always read.
std::string IniValue(std::string_view section, std::string_view key, const std::string& path) {
    std::string value;
    EXPECT_EQ(platform::ReadIniValue(section, key, path, value), platform::ProfileCall::Done);
    return value;
}

TEST(Win32Profile, ValuesRoundTripAndOtherLinesStay) {
    TempFolder temp;
    const std::string ini = temp.path() + "\\Velmora.ini";
    WriteBytes(ini, "; mine\r\n[Section]\r\nBGM区分=1\r\nother=  \"quoted value\"  \r\n");
    EXPECT_EQ(IniValue("Section", "other", ini), "quoted value");
    EXPECT_EQ(IniValue("section", "OTHER", ini), "quoted value");
    EXPECT_EQ(IniValue("Section", "missing", ini), "");
    EXPECT_EQ(IniValue("Section", "other", temp.path() + "\\none.ini"), "");

    ASSERT_EQ(platform::WriteIniValue("Section", "BGMﾌｧｲﾙ", "C:\\music\\a b.mp3", ini),
              platform::ProfileCall::Done);
    ASSERT_EQ(platform::WriteIniValue("Section", "BGMﾘﾋﾟｰﾄ", "3", ini),
              platform::ProfileCall::Done);
    EXPECT_EQ(IniValue("Section", "BGMﾌｧｲﾙ", ini), "C:\\music\\a b.mp3");
    EXPECT_EQ(IniValue("Section", "BGMﾘﾋﾟｰﾄ", ini), "3");
    // The three Japanese keys stay apart whatever the code page.
    EXPECT_EQ(IniValue("Section", "BGM区分", ini), "");
    EXPECT_NE(ReadBytes(ini).find("; mine"), std::string::npos);
    EXPECT_EQ(IniValue("Section", "other", ini), "quoted value");
}

TEST(Win32Profile, LongValuesAreCutAndUnwritableOnesRefused) {
    TempFolder temp;
    const std::string ini = temp.path() + "\\Velmora.ini";
    ASSERT_EQ(platform::WriteIniValue("Section", "long", std::string(300, 'x'), ini),
              platform::ProfileCall::Done);
    EXPECT_EQ(IniValue("Section", "long", ini), std::string(255, 'x'));
    EXPECT_EQ(platform::WriteIniValue("Section", "k", "two\r\nlines", ini),
              platform::ProfileCall::Refused);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));  // for the message
    EXPECT_EQ(platform::WriteIniValue("Section", "", "v", ini), platform::ProfileCall::Refused);
    EXPECT_EQ(platform::WriteIniValue("Section", "k", "v", temp.path() + "\\no\\such.ini"),
              platform::ProfileCall::Refused);
}

// ---- Processes ----------------------------------------------------------------------------------

TEST(Win32Process, StartedByFullPathWhateverItsNameAndAskedUntilItEnds) {
    TempFolder temp;
    const std::wstring child =
        platform::win32::Widen(platform::ProgramFolder() + "\\win32_child.exe");
    // The renderer is a program named .dll: started all the same.
    const std::string renamed = temp.path() + "\\Velmora.dll";
    ASSERT_TRUE(CopyFileW(child.c_str(), platform::win32::Widen(renamed).c_str(), FALSE));
    ScopedEnvironment ms(L"VELMORA_CHILD_MS", L"400");
    platform::Process process = platform::StartProgram(renamed);
    ASSERT_TRUE(process.Started());
    EXPECT_FALSE(platform::ProgramEnded(process));
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!platform::ProgramEnded(process) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(platform::ProgramEnded(process));
    EXPECT_TRUE(platform::ProgramEnded(process));  // asking again is fine
    DWORD code = 0;
    GetExitCodeProcess(reinterpret_cast<HANDLE>(process.handle), &code);
    EXPECT_EQ(code, 7u);
    platform::ReleaseProgram(process);
    EXPECT_FALSE(process.Started());
    EXPECT_TRUE(platform::ProgramEnded(process));
}

TEST(Win32Process, AMissingProgramIsNotStarted) {
    platform::Process process = platform::StartProgram("C:\\no\\such\\Velmora.dll");
    EXPECT_FALSE(process.Started());
    EXPECT_TRUE(platform::ProgramEnded(process));
    // Nothing to start, and standard streams other than ours, are refused with why.
    std::string why;
    EXPECT_FALSE(platform::StartProgram(platform::ProgramStart{}, &why).Started());
    EXPECT_FALSE(why.empty());
    platform::ProgramStart piped;
    piped.arguments = {platform::ProgramFolder() + "\\win32_child.exe"};
    piped.streams = platform::ProgramStreams::ErrorsToPipe;
    EXPECT_FALSE(platform::StartProgram(piped).Started());
}

// Each argument reaches the program as it was given, blanks, quotes and backslashes included,
// and the given environment entries are over ours (the child's sleep is set to none here).
TEST(Win32Process, ArgumentsAndEnvironmentArriveAsGiven) {
    TempFolder temp;
    const std::string told = temp.path() + "\\args";
    ScopedEnvironment ms(L"VELMORA_CHILD_MS", L"60000");
    platform::ProgramStart start;
    start.arguments = {platform::ProgramFolder() + "\\win32_child.exe",
                       "a b",
                       "say \"hi\"",
                       "C:\\end\\",
                       "",
                       "x\\\"y"};
    start.environment = {"VELMORA_CHILD_ARGS=" + told, "velmora_child_ms=0"};
    platform::Process process = platform::StartProgram(start);
    ASSERT_TRUE(process.Started());
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!platform::ProgramEnded(process) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(process.ending.how, platform::ProgramEnding::How::Exited);
    EXPECT_EQ(process.ending.code, 7);
    platform::ReleaseProgram(process);
    std::ifstream file(told, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str(), "a b|say \"hi\"|C:\\end\\||x\\\"y");
}

// ---- Windows, pointer, screen -------------------------------------------------------------------

TEST(Win32Windows, FoundByExactTitleShownOrHidden) {
    auto hidden = std::make_unique<TestWindow>(L"Zentrova_Main", WS_POPUP, RECT{0, 0, 10, 10});
    EXPECT_TRUE(platform::WindowWithTitleExists("Zentrova_Main"));
    EXPECT_FALSE(platform::WindowWithTitleExists("zentrova_main"));
    EXPECT_FALSE(platform::WindowWithTitleExists("Zentrova_Mai"));
    TestWindow shown(L"<Velmora> ｷｬﾝｾﾙ", WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50});
    EXPECT_TRUE(platform::WindowWithTitleExists("<Velmora> ｷｬﾝｾﾙ"));
    hidden.reset();
    EXPECT_FALSE(platform::WindowWithTitleExists("Zentrova_Main"));
}

TEST(Win32Screen, SizeAndTwipsOfTheSessionScreen) {
    const platform::ScreenSize size = platform::PrimaryScreenSize();
    EXPECT_GT(size.width, 0);
    EXPECT_GT(size.height, 0);
    const double twips = platform::TwipsPerPixel();
    EXPECT_GT(twips, 1.4);
    EXPECT_LT(twips, 61.0);
}

TEST(Win32Pointer, TheWindowUnderThePointerWithLocalPosition) {
    TestWindow window(L"pointer target", WS_POPUP | WS_VISIBLE, RECT{100, 120, 300, 320});
    ASSERT_TRUE(SetCursorPos(150, 200));
    Pump(200ms);
    const platform::PointerHit hit = platform::WindowUnderPointer();
    ASSERT_TRUE(hit.found);
    EXPECT_EQ(hit.rootX, 150);
    EXPECT_EQ(hit.rootY, 200);
    EXPECT_EQ(hit.window, window.id());
    EXPECT_EQ(hit.windowX, 50);
    EXPECT_EQ(hit.windowY, 80);
}

TEST(Win32Cursor, TheCounterIsTheSystemsOwn) {
    const std::int32_t hidden = platform::ShowCursor(false);
    EXPECT_EQ(platform::ShowCursor(true), hidden + 1);
}

// ---- Capture ------------------------------------------------------------------------------------

TEST(Win32Capture, ReadsThePaintedScreenOneToOneInRgb) {
    TestWindow red(L"red", WS_POPUP | WS_VISIBLE, RECT{0, 0, 64, 32}, RGB(250, 20, 30));
    TestWindow blue(L"blue", WS_POPUP | WS_VISIBLE, RECT{64, 0, 128, 32}, RGB(10, 40, 240));
    constexpr int kWidth = 128, kHeight = 32, kStride = kWidth * 3 + 5;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kStride) * kHeight, 0);
    ASSERT_TRUE(platform::CaptureScreen(platform::PlanCapture(platform::Monitors()), rgb.data(),
                                        kWidth, kHeight, kStride));
    auto at = [&](int x, int y) {
        const std::uint8_t* p = rgb.data() + y * kStride + x * 3;
        return std::vector<int>{p[0], p[1], p[2]};
    };
    EXPECT_EQ(at(0, 0), (std::vector<int>{250, 20, 30}));
    EXPECT_EQ(at(63, 31), (std::vector<int>{250, 20, 30}));
    EXPECT_EQ(at(64, 0), (std::vector<int>{10, 40, 240}));
    EXPECT_EQ(at(127, 31), (std::vector<int>{10, 40, 240}));
    EXPECT_EQ(rgb[kWidth * 3], 0);  // the stride's padding is left alone
    EXPECT_FALSE(platform::CaptureScreen(platform::PlanCapture(platform::Monitors()), rgb.data(),
                                         kWidth, kHeight, kWidth * 3 - 1));
    EXPECT_FALSE(platform::CaptureScreen(platform::PlanCapture(platform::Monitors()), nullptr,
                                         kWidth, kHeight, kStride));
}

TEST(Win32Capture, AskingMoreThanTheScreenLeavesTheRestAsItWas) {
    const platform::ScreenSize size = platform::PrimaryScreenSize();
    const int width = size.width + 2, height = 1;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3, 0xAB);
    ASSERT_TRUE(platform::CaptureScreen(platform::PlanCapture(platform::Monitors()), rgb.data(),
                                        width, height, width * 3));
    EXPECT_EQ(rgb[rgb.size() - 1], 0xAB);
    EXPECT_EQ(rgb[rgb.size() - 6], 0xAB);
}

// ---- Embedding ----------------------------------------------------------------------------------

TEST(Win32Embed, TheFormBecomesAChildAndHearsOfItsParentsEnd) {
    auto parent = std::make_unique<TestWindow>(L"parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                               RECT{200, 200, 500, 450});
    TestWindow form(L"form", WS_POPUP | WS_CAPTION | WS_VISIBLE, RECT{0, 0, 100, 80});
    const auto rect = platform::WindowScreenRect(parent->id());
    ASSERT_TRUE(rect.has_value());
    RECT client{};
    GetClientRect(parent->get(), &client);
    EXPECT_EQ(rect->right - rect->left, client.right);
    EXPECT_EQ(rect->bottom - rect->top, client.bottom);
    EXPECT_FALSE(platform::WindowScreenRect(0).has_value());

    bool gone = false;
    ASSERT_TRUE(platform::EmbedWindow(form.id(), parent->id(), 0, 0, [&] { gone = true; }));
    EXPECT_EQ(GetParent(form.get()), parent->get());
    EXPECT_TRUE(GetWindowLongPtrW(form.get(), GWL_STYLE) & WS_CHILD);
    EXPECT_FALSE(GetWindowLongPtrW(form.get(), GWL_STYLE) & WS_CAPTION);
    Pump(400ms);
    EXPECT_FALSE(gone);
    parent.reset();
    Pump(800ms);
    EXPECT_TRUE(gone);
    EXPECT_FALSE(platform::EmbedWindow(form.id(), 0, 0, 0, [] {}));
}

// ---- Sound --------------------------------------------------------------------------------------

TEST(Win32Sound, MissingFilesFailAtOnceWithTheSystemsTexts) {
    const auto start = std::chrono::steady_clock::now();
    char reply[128] = "untouched";
    const std::int32_t error = platform::SendMediaCommand(
        "open \"C:\\no such\\song.mp3\" type MPEGVideo alias MP3Play", reply, sizeof reply, 0);
    EXPECT_NE(error, 0);
    char text[256] = {};
    EXPECT_NE(platform::MediaErrorText(error, text, sizeof text), 0);
    EXPECT_GT(std::string(text).size(), 0u);
    EXPECT_EQ(platform::MediaErrorText(error, nullptr, 0), 0);
    EXPECT_EQ(platform::PlayWaveSound("C:\\no such\\loop.wav", 0,
                                      platform::kWaveAsync | platform::kWaveLoop),
              0);
    EXPECT_NE(platform::PlayWaveSound(nullptr, 0, 0), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

}  // namespace
