// The definition of AnnouncementWindow and its created handler. The download
// runs before the window is shown; any failure leaves the box empty.
#include "info/announcement_window.h"

#include "info/remote_config.h"
#include "platform/convert.h"
#include "platform/win32/download.h"
#include "platform/win32/recode.h"
#include "platform/win32/toolkit.h"

// clang-format off
const WindowDef AnnouncementWindow{
    .title = "联网公告",
    .width = 380, .height = 250,  // outer size
    .on_created = load_announcement,
    .controls = {
        {.name = "编辑框1", .kind = ControlKind::EditBox,
         .left = 0, .top = 0, .width = 376, .height = 224,
         .tab_stop = true, .align = HAlign::Centre,
         .edit = {.multi_line = true, .h_scroll = true, .v_scroll = true, .read_only = false,
                  .want_return = true, .text_rgb = 0x000000, .back_rgb = 0xFFFFFF}},
    },
};
// clang-format on

void open_announcement_window() {
    open_window(AnnouncementWindow, true);
}

void load_announcement() {
    Bytes body = download_bytes(AnnouncementUrl);
    // Converted in full or not at all: an invalid byte empties the box.
    Text text = text_of_bytes(recode_bytes(body, "UTF-8", "GBK"));
    // A notice is a few hundred bytes; what a hostile server sends may run to
    // the download cap. An edit box lays out a long line in time that grows
    // with its square (under Wine a 64 KiB line takes 20 s, 1 MiB hours), so
    // the box gets at most the first AnnouncementShownLimit bytes.
    text = left_whole_chars(text, AnnouncementShownLimit);
    set_property(control(AnnouncementWindow, "编辑框1"), kPropCaption, text);
}
