// The window toolkit under Wine with real windows: dialogs and the windows
// they disable, the nested loop, one instance per definition, close requests,
// Esc, properties, the list box, labels, fonts and pictures.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "platform/win32/toolkit.h"
#include "platform/win32/toolkit_internal.h"
#include "platform/win32/wide.h"
#include "tests/wine/toolkit_test_support.h"

namespace {

int g_ticks = 0;
int g_created = 0;
bool g_alive_after_close_request = false;

void count_tick() { ++g_ticks; }
void count_created() { ++g_created; }

ControlDef make(const char* name, ControlKind kind, int left, int top, int width, int height) {
    ControlDef c;
    c.name = name;
    c.kind = kind;
    c.left = left, c.top = top, c.width = width, c.height = height;
    c.tab_stop = kind == ControlKind::Button || kind == ControlKind::ListBox;
    return c;
}

const FontDef kBold = [] {
    FontDef f;
    f.height = -19;
    f.weight = 700;
    f.char_set = 134;  // replaced by DEFAULT_CHARSET when created
    f.quality = 3;
    return f;
}();

// A window without an owner, as the main window is.
WindowDef owner_window() {
    WindowDef w;
    w.title = "主窗口";
    w.width = 284;
    w.height = 141;
    ControlDef timer = make("时钟", ControlKind::Timer, 0, 0, 0, 0);
    timer.timer_period_ms = 50;
    timer.on_event = count_tick;
    ControlDef caption = make("标签", ControlKind::Label, 10, 10, 120, 24);
    caption.caption = "0";
    caption.font = &kBold;
    w.controls = {timer, caption, make("列表", ControlKind::ListBox, 8, 120, 264, 144)};
    return w;
}
const WindowDef kOwner = owner_window();

void close_self();
WindowDef dialog_window(const char* title) {
    WindowDef w;
    w.title = title;
    w.width = 223;
    w.height = 73;
    w.on_created = count_created;
    ControlDef close = make("按钮", ControlKind::Button, 176, 8, 32, 32);
    close.caption = "取消";
    close.on_event = close_self;
    w.controls = {close};
    return w;
}
const WindowDef kDialog = dialog_window("对话框");
const WindowDef kInnerDialog = dialog_window("内层");

void close_self() {
    close_window(kDialog);
    g_alive_after_close_request = window_is_open(kDialog);
}

HWND hwnd_of(const WindowDef& def) {
    WindowInstance* w = find_instance(def);
    return w ? w->hwnd : nullptr;
}

class Toolkit : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_platform(); }
    void SetUp() override {
        g_ticks = g_created = 0;
        g_alive_after_close_request = false;
    }
    void TearDown() override { close_all_and_drain(); }
};

TEST_F(Toolkit, DialogDisablesTheUnownedWindowAndGivesItsStateBack) {
    open_startup_window(kOwner);
    HWND owner = hwnd_of(kOwner);
    bool owner_enabled_inside = true, dialog_enabled_inside = false, inner_left_outer_enabled = false;
    HWND dialog_owner = nullptr;
    run_soon([&] {
        HWND dialog = hwnd_of(kDialog);
        owner_enabled_inside = IsWindowEnabled(owner);
        dialog_enabled_inside = IsWindowEnabled(dialog);
        dialog_owner = GetWindow(dialog, GW_OWNER);
        // A dialog opened from a dialog leaves the outer one enabled.
        run_soon([&] {
            inner_left_outer_enabled = IsWindowEnabled(hwnd_of(kDialog));
            close_window(kInnerDialog);
        });
        open_window(kInnerDialog, true);
        close_window(kDialog);
    });
    EXPECT_TRUE(open_window(kDialog, true));
    EXPECT_FALSE(owner_enabled_inside);
    EXPECT_TRUE(dialog_enabled_inside);
    EXPECT_TRUE(inner_left_outer_enabled);
    ASSERT_NE(dialog_owner, nullptr);
    EXPECT_NE(dialog_owner, owner) << "dialogs are owned by the hidden window";
    EXPECT_FALSE(IsWindowVisible(dialog_owner));
    EXPECT_FALSE(window_is_open(kDialog));
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(Toolkit, WindowDisabledBeforeTheDialogStaysDisabledAfterIt) {
    open_startup_window(kOwner);
    HWND owner = hwnd_of(kOwner);
    EnableWindow(owner, FALSE);
    run_soon([] { close_window(kDialog); });
    open_window(kDialog, true);
    EXPECT_FALSE(IsWindowEnabled(owner));
}

// A close request can reach the main window while a dialog holds it, from
// another program for instance; the handler waiting in the dialog's loop
// must come back to a window that is still there.
TEST_F(Toolkit, WindowHeldByADialogRefusesCloseRequests) {
    open_startup_window(kOwner);
    HWND owner = hwnd_of(kOwner);
    bool open_after_requests = false;
    run_soon([&] {
        PostMessageW(owner, WM_CLOSE, 0, 0);
        PostMessageW(owner, WM_SYSCOMMAND, SC_CLOSE, 0);
        SendMessageW(owner, WM_CLOSE, 0, 0);
        pump_until([] { return false; }, 200);
        open_after_requests = IsWindow(owner) && window_is_open(kOwner);
        close_window(kDialog);
    });
    open_window(kDialog, true);
    EXPECT_TRUE(open_after_requests);
    ASSERT_TRUE(window_is_open(kOwner));
    EXPECT_TRUE(IsWindowEnabled(owner));
    // Once no dialog holds it, a close request closes it as before.
    PostMessageW(owner, WM_CLOSE, 0, 0);
    EXPECT_TRUE(pump_until([] { return !window_is_open(kOwner); }, 3000));
}

// Closing the outer dialog (Esc or its close box; it stays enabled) while the
// inner one is open must not give the main window its input back: a second
// dialog could then be opened inside the inner dialog's loop.
TEST_F(Toolkit, MainWindowIsHeldUntilTheLastDialogGoes) {
    open_startup_window(kOwner);
    HWND owner = hwnd_of(kOwner);
    bool outer_gone = false, owner_enabled_after_outer = true, inner_open_after_outer = false;
    bool owner_enabled_after_inner = false;
    run_soon([&] {
        run_soon([&] {
            PostMessageW(hwnd_of(kDialog), WM_KEYDOWN, VK_ESCAPE, 0);
            outer_gone = pump_until([] { return !window_is_open(kDialog); }, 3000);
            owner_enabled_after_outer = IsWindowEnabled(owner);
            inner_open_after_outer = window_is_open(kInnerDialog);
            close_window(kInnerDialog);
        });
        open_window(kInnerDialog, true);
        owner_enabled_after_inner = IsWindowEnabled(owner);
    });
    open_window(kDialog, true);
    EXPECT_TRUE(outer_gone);
    EXPECT_TRUE(inner_open_after_outer);
    EXPECT_FALSE(owner_enabled_after_outer) << "a dialog is still open";
    EXPECT_TRUE(owner_enabled_after_inner);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(window_is_open(kDialog));
}

TEST_F(Toolkit, NestedLoopKeepsTheTimerFiring) {
    open_startup_window(kOwner);
    g_ticks = 0;
    run_soon([] {
        // Close once the owner's timer has fired a few times, or give up.
        DWORD start = GetTickCount();
        UINT_PTR id = SetTimer(nullptr, 0, 20, nullptr);
        MSG msg;
        while (g_ticks < 3 && GetTickCount() - start < 5000 && GetMessageW(&msg, nullptr, 0, 0) > 0)
            dispatch_message(msg);
        KillTimer(nullptr, id);
        close_window(kDialog);
    });
    open_window(kDialog, true);
    EXPECT_GE(g_ticks, 3);
}

TEST_F(Toolkit, OpeningAnOpenWindowMakesNoSecondInstance) {
    open_startup_window(kOwner);
    bool second_result = false;
    int created_inside = 0;
    run_soon([&] {
        HWND first = hwnd_of(kDialog);
        ShowWindow(first, SW_MINIMIZE);
        second_result = open_window(kDialog, true);  // returns at once
        created_inside = g_created;
        EXPECT_EQ(hwnd_of(kDialog), first);
        EXPECT_FALSE(IsIconic(first)) << "a minimised window is restored";
        close_window(kDialog);
    });
    open_window(kDialog, true);
    EXPECT_TRUE(second_result);
    EXPECT_EQ(created_inside, 1);
    EXPECT_EQ(g_created, 1);
}

TEST_F(Toolkit, CloseRequestFromAHandlerTakesEffectAfterIt) {
    open_startup_window(kOwner);
    run_soon([] { SendMessageW(GetDlgItem(hwnd_of(kDialog), 1), BM_CLICK, 0, 0); });
    open_window(kDialog, true);
    EXPECT_TRUE(g_alive_after_close_request) << "the window went before its handler returned";
    EXPECT_FALSE(window_is_open(kDialog));
}

TEST_F(Toolkit, EscAnywhereInAWindowClosesIt) {
    open_startup_window(kOwner);
    run_soon([] {
        // Pressed with the focus on the button, not the window itself.
        PostMessageW(GetDlgItem(hwnd_of(kDialog), 1), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    open_window(kDialog, true);
    EXPECT_FALSE(window_is_open(kDialog));
    PostMessageW(hwnd_of(kOwner), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(pump_until([] { return !window_is_open(kOwner); }, 3000));
}

TEST_F(Toolkit, LastWindowGoneEndsTheMessageLoop) {
    open_startup_window(kOwner);
    close_window(kOwner);
    run_message_loop();  // returns on the quit message
    EXPECT_FALSE(window_is_open(kOwner));
}

TEST_F(Toolkit, WindowIsCentredAtItsOuterSize) {
    open_startup_window(kOwner);
    RECT r;
    GetWindowRect(hwnd_of(kOwner), &r);
    EXPECT_EQ(r.right - r.left, 284);
    EXPECT_EQ(r.bottom - r.top, 141);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 284) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 141) / 2);
}

TEST_F(Toolkit, SettingTheHeightKeepsWidthAndPosition) {
    open_startup_window(kOwner);
    HWND w = hwnd_of(kOwner);
    RECT before;
    GetWindowRect(w, &before);
    for (int h : {300, 141, 200}) {
        SCOPED_TRACE(h);
        set_window_property(kOwner, kPropHeight, h);
        RECT r;
        GetWindowRect(w, &r);
        EXPECT_EQ(r.bottom - r.top, h);
        EXPECT_EQ(r.left, before.left);
        EXPECT_EQ(r.top, before.top);
        EXPECT_EQ(r.right, before.right);
    }
}

TEST_F(Toolkit, ListAppendKeepsOrderAndItemData) {
    open_startup_window(kOwner);
    Control& list = control(kOwner, "列表");
    EXPECT_EQ(list_count(list), 0);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list_append(list, i == 1 ? "签到 b" : "a", list_count(list) + 1), i);
        EXPECT_EQ(SendMessageW(list.hwnd, LB_GETITEMDATA, i, 0), i + 1);
    }
    EXPECT_EQ(list_count(list), 3);
    wchar_t text[32] = {};
    SendMessageW(list.hwnd, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(text_of_wide(text, lstrlenW(text)), "签到 b");
}

TEST_F(Toolkit, LabelCaptionIsReadBackAndRepaintedLater) {
    open_startup_window(kOwner);
    Control& label = control(kOwner, "标签");
    UpdateWindow(label.hwnd);
    set_property(label, kPropCaption, "签到次数：12");
    RECT dirty;
    EXPECT_TRUE(GetUpdateRect(label.hwnd, &dirty, FALSE)) << "the label must be marked for repainting";
    EXPECT_EQ(get_property(label, kPropCaption), "签到次数：12");
    pump_until([&] { return !GetUpdateRect(label.hwnd, &dirty, FALSE); }, 2000);
    EXPECT_FALSE(GetUpdateRect(label.hwnd, &dirty, FALSE));
}

TEST_F(Toolkit, FontOfItsOwnUsesTheStoredFieldsWithFixedQuality) {
    open_startup_window(kOwner);
    Control& label = control(kOwner, "标签");
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(label.hwnd, WM_GETFONT, 0, 0));
    LOGFONTW lf = {};
    ASSERT_TRUE(GetObjectW(font, sizeof lf, &lf));
    EXPECT_EQ(lf.lfHeight, -19);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(lf.lfQuality, PROOF_QUALITY);
    HFONT list_font = reinterpret_cast<HFONT>(
        SendMessageW(control(kOwner, "列表").hwnd, WM_GETFONT, 0, 0));
    EXPECT_EQ(list_font, GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(Toolkit, ShowingAndHidingAControl) {
    open_startup_window(kOwner);
    Control& list = control(kOwner, "列表");
    set_property(list, kPropVisible, 0);
    EXPECT_FALSE(IsWindowVisible(list.hwnd));
    set_property(list, kPropVisible, 1);
    EXPECT_TRUE(IsWindowVisible(list.hwnd));
}

WindowDef two_buttons() {
    WindowDef w = dialog_window("两个按钮");
    ControlDef second = make("按钮2", ControlKind::Button, 136, 8, 40, 32);
    second.caption = "同意";
    ControlDef label = make("标签", ControlKind::Label, 16, 8, 100, 32);
    w.controls.push_back(second);
    w.controls.push_back(label);
    return w;
}
const WindowDef kTwoButtons = two_buttons();

TEST_F(Toolkit, TabMovesTheFocusAmongTabStopsOnly) {
    open_startup_window(kTwoButtons);
    HWND w = hwnd_of(kTwoButtons);
    HWND first = GetDlgItem(w, 1), second = GetDlgItem(w, 2);
    SetFocus(first);
    std::vector<HWND> seen;
    for (int i = 0; i < 3; ++i) {
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
        HWND before = GetFocus();
        pump_until([&] { return GetFocus() != before; }, 1000);
        seen.push_back(GetFocus());
    }
    EXPECT_EQ(seen, (std::vector<HWND>{second, first, second})) << "labels are no tab stops";
}

// Picture boxes, painted and read back from the screen.
WindowDef picture_window(const char* resource, PictureMode mode) {
    WindowDef w;
    w.title = "图片";
    w.width = 200;
    w.height = 200;
    ControlDef box = make("图片框", ControlKind::PictureBox, 10, 10, 72, 112);
    box.picture = MediaRef{resource};
    box.picture_mode = mode;
    w.controls = {box};
    return w;
}
const WindowDef kGoodPicture = picture_window("MAIN_PICTURE", PictureMode::Stretch);
const WindowDef kBrokenPicture = picture_window("BROKEN_PNG", PictureMode::Stretch);
const WindowDef kMissingPicture = picture_window("NO_SUCH_PICTURE", PictureMode::Centre);

int non_background_pixels(const WindowDef& def) {
    open_startup_window(def);
    Control& box = control(def, "图片框");
    UpdateWindow(box.hwnd);
    HDC dc = GetDC(box.hwnd);
    COLORREF back = GetSysColor(COLOR_BTNFACE);
    int differing = 0;
    for (int y = 0; y < 112; y += 4)
        for (int x = 0; x < 72; x += 4)
            if (GetPixel(dc, x, y) != back) ++differing;
    ReleaseDC(box.hwnd, dc);
    close_window(def);
    pump_until([&] { return !window_is_open(def); }, 2000);
    return differing;
}

TEST_F(Toolkit, PictureThatCannotBeDecodedLeavesTheBackgroundOnly) {
    ASSERT_GT(non_background_pixels(kGoodPicture), 20) << "the real picture should show";
    EXPECT_EQ(non_background_pixels(kBrokenPicture), 0);
    EXPECT_EQ(non_background_pixels(kMissingPicture), 0);
}

TEST_F(Toolkit, ExitRoutinesRunOnceInOrder) {
    static std::string order;
    order.clear();
    at_exit([] { order += "a"; });
    at_exit([] { order += "b"; });
    run_exit_routines();
    run_exit_routines();
    EXPECT_EQ(order, "ab");
}

}  // namespace
