// The definition of EasterEggWindow and its two buttons: "同意" opens the
// contact window over it, "取消" closes it.
#include "info/easter_egg_window.h"

#include "info/contact_window.h"
#include "platform/win32/toolkit.h"

// clang-format off
const WindowDef EasterEggWindow{
    .title = "隐藏彩蛋",
    .width = 223, .height = 73,  // outer size
    .controls = {
        {.name = "按钮2", .kind = ControlKind::Button,
         .left = 176, .top = 8, .width = 32, .height = 32,
         .tab_stop = true, .caption = "取消", .on_event = close_easter_egg_window},
        {.name = "按钮1", .kind = ControlKind::Button,
         .left = 136, .top = 8, .width = 40, .height = 32,
         .tab_stop = true, .caption = "同意", .on_event = open_contact_window},
        {.name = "标签1", .kind = ControlKind::Label,
         .left = 16, .top = 8, .width = 112, .height = 32,
         .caption = "呦，都找到这来啦？\r\n那就加个QQ吧～", .align = HAlign::Left, .word_wrap = true},
    },
};
// clang-format on

void open_easter_egg_window() { open_window(EasterEggWindow, true); }

void close_easter_egg_window() { close_window(EasterEggWindow); }
