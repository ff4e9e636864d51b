// The definition of MainWindow and its handlers: the start-up line of the
// run log and the button that shows and hides the run log.
#include "app/main_window.h"

#include "detector/detector_tick.h"
#include "platform/datetime.h"
#include "platform/win32/toolkit.h"

bool RunLogShown = false;

namespace {

FontDef counter_font() {
    FontDef f;
    f.height = -19;
    f.weight = 700;
    return f;
}
const FontDef kCounterFont = counter_font();

ControlDef button(const char* name, int left, int top, int width, int height, const char* caption,
                  Handler on_click) {
    ControlDef c;
    c.name = name;
    c.kind = ControlKind::Button;
    c.left = left, c.top = top, c.width = width, c.height = height;
    c.tab_stop = true;
    c.caption = caption;
    c.on_event = on_click;
    return c;
}

ControlDef label(const char* name, int left, int top, int width, int height, const char* caption,
                 HAlign align, const FontDef* font = nullptr) {
    ControlDef c;
    c.name = name;
    c.kind = ControlKind::Label;
    c.left = left, c.top = top, c.width = width, c.height = height;
    c.caption = caption;
    c.align = align;
    c.font = font;
    return c;
}

ControlDef run_log() {
    ControlDef c;
    c.name = "列表框1";
    c.kind = ControlKind::ListBox;
    c.left = 8, c.top = 120, c.width = 264, c.height = 144;
    c.tab_stop = true;
    return c;
}

ControlDef picture() {
    ControlDef c;
    c.name = "图片框1";
    c.kind = ControlKind::PictureBox;
    c.left = 16, c.top = 8, c.width = 72, c.height = 112;
    c.picture = MediaRef{"MAIN_PICTURE"};
    c.picture_mode = PictureMode::Stretch;
    return c;
}

ControlDef detector_timer() {
    ControlDef c;
    c.name = "时钟1检测周期";
    c.kind = ControlKind::Timer;
    c.visible = false;
    c.timer_period_ms = 3000;
    c.on_event = detector_tick;
    return c;
}

WindowDef main_window_def() {
    WindowDef w;
    w.title = "Tallowin";
    w.width = 284;
    w.height = kMainWindowHeightLogHidden;
    w.icon = MediaRef{"MAIN_WINDOW_ICON"};
    w.on_created = main_window_created;
    w.controls = {
        button("按钮3", 208, 80, 64, 32, "版本信息", nullptr),
        run_log(),
        button("按钮2", 128, 80, 80, 32, "运行日志", toggle_run_log),
        picture(),
        detector_timer(),
        label("标签4", 200, 48, 40, 24, "0", HAlign::Left, &kCounterFont),
        label("标签2", 128, 48, 64, 24, "签到次数：", HAlign::Right),
        label("标签1", 96, 16, 152, 24, "自动签到正在运行", HAlign::Centre),
    };
    return w;
}

}  // namespace

const WindowDef MainWindow = main_window_def();

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
