// The definition of UpdateHelpWindow; it has no behaviour of its own.
#include "info/update_help_window.h"

#include "platform/win32/toolkit.h"

// clang-format off
const WindowDef UpdateHelpWindow{
    .title = "检查更新·帮助",
    .width = 265, .height = 179,  // outer size
    .controls = {
        {.name = "标签1", .kind = ControlKind::Label,
         .left = 24, .top = 32, .width = 216, .height = 88,
         .caption = "此功能需要联网后使用\r\n\r\n"
                    "因为服务器连接问题，可能需要一段时间后才能响应，请耐心等待\r\n\r\n"
                    "若是有更新，页面会出现“查看更新”按钮",
         .align = HAlign::Centre, .word_wrap = true},
    },
};
// clang-format on

void open_update_help_window() { open_window(UpdateHelpWindow, true); }
