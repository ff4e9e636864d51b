// The definition of AuthorWindow; it has no behaviour of its own.
#include "info/author_window.h"

#include "platform/win32/toolkit.h"

// clang-format off
const WindowDef AuthorWindow{
    .title = "Hi～",
    .width = 197, .height = 98,  // outer size
    .controls = {
        {.name = "标签2", .kind = ControlKind::Label,
         .left = 88, .top = 40, .width = 88, .height = 24,
         .caption = "云杉湾学堂", .align = HAlign::Left, .word_wrap = false},
        {.name = "标签1", .kind = ControlKind::Label,
         .left = 96, .top = 16, .width = 80, .height = 16,
         .caption = "Merrow", .align = HAlign::Centre, .word_wrap = false},
        {.name = "图片框1", .kind = ControlKind::PictureBox,
         .left = 8, .top = 8, .width = 64, .height = 64,
         .picture = {"AUTHOR_PICTURE"}, .picture_mode = PictureMode::Stretch},
    },
};
// clang-format on

void open_author_window() { open_window(AuthorWindow, true); }
