// Hears the sign-in sound: CTest runs this driver with HOME set to a folder
// whose .asoundrc turns ALSA's default device into a file over "null", so
// whatever Tallowin.exe plays through Wine's wave output lands in that file,
// and the driver compares it with the clip the program carries.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/wav.h"
#include "platform/win32/wide.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/standin.h"

namespace {

constexpr int kRunLog = 2, kCounter = 6;
constexpr DWORD kStartMs = 20000;
constexpr DWORD kOneTickMs = 3000 + 2000;  // a period and slack for a late timer

const std::wstring kHome = TALLOWIN_SOUND_HOME_W;
const std::wstring kCapture = kHome + L"\\capture.raw";

bool read_file(const std::wstring& path, Bytes* out) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    out->clear();
    std::uint8_t buf[65536];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out->insert(out->end(), buf, buf + got);
    CloseHandle(f);
    return true;
}

bool exists(const wchar_t* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

class SoundE2E : public ::testing::Test {
protected:
    void SetUp() override {
        // Wine hands a process its Unix HOME as WINEHOMEDIR (an NT path);
        // without the capture folder there, ALSA would play to the real
        // default device and nothing could be heard.
        wchar_t home[MAX_PATH] = {};
        if (!GetEnvironmentVariableW(L"WINEHOMEDIR", home, MAX_PATH))
            GTEST_SKIP() << "not under Wine: WINEHOMEDIR is unset";
        std::wstring got(home);
        if (got.size() < kHome.size() || got.compare(got.size() - kHome.size(), kHome.size(), kHome) != 0)
            GTEST_SKIP() << "HOME is not the capture folder " << text_of_wide(kHome)
                         << " (CTest sets it); it is " << text_of_wide(got);
        // Wine's ALSA driver and the ALSA library it loads, of this build's
        // width (a 64-bit build of the tests runs under wine64).
#ifdef _WIN64
        const wchar_t* needed[] = {L"Z:\\usr\\lib\\x86_64-linux-gnu\\wine\\x86_64-unix\\winealsa.so",
                                   L"Z:\\usr\\lib\\x86_64-linux-gnu\\libasound.so.2"};
#else
        const wchar_t* needed[] = {L"Z:\\usr\\lib\\i386-linux-gnu\\wine\\i386-unix\\winealsa.so",
                                   L"Z:\\usr\\lib\\i386-linux-gnu\\libasound.so.2"};
#endif
        for (const wchar_t* path : needed)
            if (!exists(path)) GTEST_SKIP() << "no " << text_of_wide(path) << ": Wine cannot reach ALSA";

        DeleteFileW(kCapture.c_str());
        const std::string asoundrc =
            "pcm.!default {\n"
            "    type file\n"
            "    slave.pcm \"null\"\n"
            "    file \"" TALLOWIN_SOUND_HOME_UNIX "/capture.raw\"\n"
            "    format \"raw\"\n"
            "}\n";
        ASSERT_TRUE(write_file(kHome + L"\\.asoundrc", asoundrc));

        Bytes wav;
        ASSERT_TRUE(read_file(std::wstring(TALLOWIN_MEDIA_DIR_W) + L"\\SignInSound.wav", &wav));
        WavClip clip;
        ASSERT_TRUE(parse_wav(wav.data(), wav.size(), &clip));
        samples.assign(wav.begin() + clip.data_offset, wav.begin() + clip.data_offset + clip.data_size);
    }

    void TearDown() override { DeleteFileW(kCapture.c_str()); }

    // Starts a stand-in, then Tallowin.exe, and waits until the first
    // sign-in has shown in the counter.
    void sign_in_once() {
        ASSERT_TRUE(dialog.start(100, 100, 465, 500, false));
        ASSERT_TRUE(park_cursor(332, 520));
        ASSERT_TRUE(app.start(L"\"" + std::wstring(TALLOWIN_APP_DIR_W) + L"\\Tallowin.exe\""));
        ASSERT_TRUE(wait_until([&] { return (main = find_window_of(app.id(), "Tallowin")) != nullptr; },
                               kStartMs));
        ASSERT_TRUE(wait_until([&] { return window_text(GetDlgItem(main, kCounter)) == "1"; }, kOneTickMs))
            << "no sign-in within a tick";
    }

    // Where the clip's samples start in the capture, or npos.
    size_t clip_offset(const Bytes& capture) const {
        auto at = std::search(capture.begin(), capture.end(), samples.begin(), samples.end());
        return at == capture.end() ? std::string::npos : static_cast<size_t>(at - capture.begin());
    }

    Bytes samples;  // the data chunk of media/SignInSound.wav
    StandIn dialog;
    Process app;
    HWND main = nullptr;
};

TEST_F(SoundE2E, ASignInPlaysTheWholeClipOnceOnTheDefaultDevice) {
    sign_in_once();
    Bytes capture;
    // The clip lasts 1.25 s; the device may take a while to open.
    bool heard = wait_until([&] { return read_file(kCapture, &capture) && clip_offset(capture) != std::string::npos; },
                            8000);
    ASSERT_TRUE(heard) << "the capture holds " << capture.size() << " bytes, the clip " << samples.size()
                       << "; the clip's samples are not among them";
    // The clip is 22,050 Hz stereo 16-bit and the capture device takes that
    // format as it is, so the samples arrive unchanged. Anything beside them
    // may only be silence the device added.
    size_t at = clip_offset(capture);
    size_t noise = 0;
    for (size_t i = 0; i < capture.size(); ++i)
        if ((i < at || i >= at + samples.size()) && capture[i] != 0) ++noise;
    EXPECT_EQ(noise, 0u) << "bytes outside the clip that are not silence (clip at " << at << " of "
                         << capture.size() << ")";
    EXPECT_EQ(SendMessageW(GetDlgItem(main, kRunLog), LB_GETCOUNT, 0, 0), 2);
}

TEST_F(SoundE2E, EndingTheProgramWhileTheClipPlaysEndsItCleanly) {
    sign_in_once();
    // Esc as soon as the first samples reach the device: the player thread
    // is then inside the clip (the capture takes it in about a third of a
    // second) when the process ends.
    Bytes capture;
    ASSERT_TRUE(wait_until([&] { return read_file(kCapture, &capture) && !capture.empty(); }, 8000))
        << "the clip did not start";
    PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);
    DWORD code = 1234;
    ASSERT_TRUE(app.wait_exit(10000, &code)) << "the program hung on exit while the sound played";
    EXPECT_EQ(code, 0u);
}

}  // namespace
