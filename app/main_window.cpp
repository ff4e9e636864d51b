// The definition of MainWindow and its handlers: the start-up line of the
// run log and the button that shows and hides the run log.
#include "app/main_window.h"

#include "detector/detector_tick.h"
#include "info/easter_egg_window.h"
#include "info/version_window.h"
#include "platform/datetime.h"
#include "platform/win32/toolkit.h"

bool RunLogShown = false;

namespace {

const FontDef kCounterFont{.height = -19, .weight = 700};

}  // namespace

// clang-format off
const WindowDef MainWindow{
    .title = "Tallowin",
    .width = 284,
    .height = kMainWindowHeightLogHidden,
    .icon = {"MAIN_WINDOW_ICON"},
    .on_created = main_window_created,
    .controls = {
        {.name = "按钮3", .kind = ControlKind::Button,
         .left = 208, .top = 80, .width = 64, .height = 32,
         .tab_stop = true, .caption = "版本信息", .on_event = open_version_window},
        {.name = "列表框1", .kind = ControlKind::ListBox,
         .left = 8, .top = 120, .width = 264, .height = 144,
         .tab_stop = true},
        {.name = "按钮2", .kind = ControlKind::Button,
         .left = 128, .top = 80, .width = 80, .height = 32,
         .tab_stop = true, .caption = "运行日志", .on_event = toggle_run_log},
        {.name = "图片框1", .kind = ControlKind::PictureBox,
         .left = 16, .top = 8, .width = 72, .height = 112,
         .picture = {"MAIN_PICTURE"}, .picture_mode = PictureMode::Stretch,
         .on_event = open_easter_egg_window},
        {.name = "时钟1检测周期", .kind = ControlKind::Timer,
         .visible = false, .timer_period_ms = 3000,
         .on_event = detector_tick},
        {.name = "标签4", .kind = ControlKind::Label,
         .left = 200, .top = 48, .width = 40, .height = 24,
         .caption = "0", .align = HAlign::Left, .word_wrap = false, .font = &kCounterFont},
        {.name = "标签2", .kind = ControlKind::Label,
         .left = 128, .top = 48, .width = 64, .height = 24,
         .caption = "签到次数：", .align = HAlign::Right, .word_wrap = false},
        {.name = "标签1", .kind = ControlKind::Label,
         .left = 96, .top = 16, .width = 152, .height = 24,
         .caption = "自动签到正在运行", .align = HAlign::Centre, .word_wrap = false},
    },
};
// clang-format on

void main_window_created() {
    Text line = join_text({date_time_to_text(now_local()), " 自动签到开始运行"});
    Control& log = control(MainWindow, "列表框1");
    list_append(log, line, list_count(log) + 1);
}

void toggle_run_log() {
    if (!RunLogShown) {
        set_window_property(MainWindow, kPropHeight, kMainWindowHeightLogShown);
        RunLogShown = true;
        set_property(control(MainWindow, "列表框1"), kPropVisible, 1);
    } else {
        set_window_property(MainWindow, kPropHeight, kMainWindowHeightLogHidden);
        RunLogShown = false;
        set_property(control(MainWindow, "列表框1"), kPropVisible, 0);
    }
}
