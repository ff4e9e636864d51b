// The definition of VersionWindow and its handlers. The check fetches the
// latest-version file synchronously and compares its first double-quoted
// piece, byte for byte, with the version the window shows.
#include "info/version_window.h"

#include "info/announcement_window.h"
#include "info/author_window.h"
#include "info/remote_config.h"
#include "info/update_help_window.h"
#include "platform/win32/shell.h"
#include "platform/win32/toolkit.h"
#include "web/http_request.h"
#include "web/text_helpers.h"

namespace {

const FontDef kFontA{.height = -24, .weight = 700, .face_name = "微软雅黑"};
const FontDef kFontB{.height = -29, .weight = 400};

}  // namespace

// clang-format off
const WindowDef VersionWindow{
    .title = "版本信息",
    .width = 364, .height = 191,  // outer size
    .controls = {
        {.name = "按钮5", .kind = ControlKind::Button,
         .left = 304, .top = 128, .width = 32, .height = 32,
         .tab_stop = true, .caption = "公告", .on_event = open_announcement_window},
        {.name = "按钮4", .kind = ControlKind::Button,
         .left = 216, .top = 144, .width = 16, .height = 16,
         .tab_stop = true, .caption = "？", .on_event = open_update_help_window},
        {.name = "标签4", .kind = ControlKind::Label,
         .left = 248, .top = 16, .width = 88, .height = 32,
         .caption = "V 6.1", .font = &kFontA},
        {.name = "标签6", .kind = ControlKind::Label,
         .left = 248, .top = 64, .width = 80, .height = 40,
         .caption = "待检测", .font = &kFontA},
        {.name = "标签3", .kind = ControlKind::Label,
         .left = 24, .top = 64, .width = 184, .height = 40,
         .caption = "最新版本信息：", .font = &kFontB},
        {.name = "按钮3", .kind = ControlKind::Button,
         .left = 152, .top = 128, .width = 64, .height = 32,
         .tab_stop = true, .caption = "检查更新", .on_event = check_for_update},
        {.name = "标签1", .kind = ControlKind::Label,
         .left = 24, .top = 8, .width = 184, .height = 48,
         .caption = "当前版本信息：", .font = &kFontB},
        {.name = "按钮2", .kind = ControlKind::Button,
         .left = 40, .top = 128, .width = 64, .height = 32,
         .visible = false, .tab_stop = true, .caption = "查看更新", .on_event = open_author_page},
        {.name = "按钮1", .kind = ControlKind::Button,
         .left = 256, .top = 128, .width = 32, .height = 32,
         .tab_stop = true, .caption = "作者", .on_event = open_author_window},
    },
};
// clang-format on

void open_version_window() {
    open_window(VersionWindow, true);
}

void check_for_update() {
    // Synchronous: nothing of the program runs until the request has ended.
    Text body = fetch_text(LatestVersionUrl);
    Text latest = text_between(body, "\"", "\"");
    set_property(control(VersionWindow, "标签6"), kPropCaption, latest);
    Text current = get_property(control(VersionWindow, "标签4"), kPropCaption);
    set_property(control(VersionWindow, "按钮2"), kPropVisible, text_cmp(latest, current) != 0);
}

void open_author_page() {
    open_in_browser(AuthorPage);
}
