// The toolkit's vocabulary for window definitions: every window of the
// program is a WindowDef with its controls in stacking order (first on top).
// The toolkit builds a fresh instance from a definition at every opening.
#pragma once

#include <cstdint>
#include <vector>

using Handler = void (*)();

enum class ControlKind { Label, Button, ListBox, PictureBox, Timer, EditBox };
enum class HAlign { Left, Centre, Right };
enum class PictureMode { Natural, Stretch, Centre };

// The stored fields of a LOGFONTA. When the font is created the character
// set, precisions, quality and pitch are replaced (see the toolkit).
struct FontDef {
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 400;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strike_out = 0;
    std::uint8_t char_set = 0;
    std::uint8_t out_precision = 0;
    std::uint8_t clip_precision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitch_and_family = 0;
    char face_name[32] = {};
};

// An embedded picture or icon, by its resource name in the executable.
struct MediaRef {
    const char* resource = nullptr;
};

struct EditSettings {
    bool multi_line = false;
    bool h_scroll = false;
    bool v_scroll = false;
    bool read_only = false;
    bool want_return = false;
    std::uint32_t text_rgb = 0x000000;  // 0xRRGGBB
    std::uint32_t back_rgb = 0xFFFFFF;
};

struct ControlDef {
    const char* name = "";
    ControlKind kind = ControlKind::Label;
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
    bool tab_stop = false;
    const char* caption = "";  // code page 936
    HAlign align = HAlign::Left;
    bool word_wrap = false;
    const FontDef* font = nullptr;  // none: DEFAULT_GUI_FONT
    MediaRef picture = {};
    PictureMode picture_mode = PictureMode::Natural;
    int timer_period_ms = 0;
    EditSettings edit = {};
    // Clicked (button), left button pressed (picture box), periodic (timer).
    Handler on_event = nullptr;
};

struct WindowDef {
    const char* title = "";  // code page 936
    int width = 0, height = 0;  // outer size
    MediaRef icon = {};  // none: the executable's icon
    Handler on_created = nullptr;
    std::vector<ControlDef> controls;
};
