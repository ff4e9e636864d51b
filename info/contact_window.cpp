// The definition of ContactWindow; it has no behaviour of its own. The box
// starts 8 pixels left of the client area, and the picture, larger than the
// box, is shrunk to 297 x 408 and centred with a band of background beside it.
#include "info/contact_window.h"

#include "platform/win32/toolkit.h"

// clang-format off
const WindowDef ContactWindow{
    .title = "QQ",
    .width = 318, .height = 435,  // outer size
    .controls = {
        {.name = "图片框1", .kind = ControlKind::PictureBox,
         .left = -8, .top = 0, .width = 320, .height = 408,
         .picture = {"CONTACT_PICTURE"}, .picture_mode = PictureMode::Centre},
    },
};
// clang-format on

void open_contact_window() { open_window(ContactWindow, true); }
