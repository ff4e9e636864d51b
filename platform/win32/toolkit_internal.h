// What the toolkit keeps for each open window and its controls; shared by
// the toolkit's own files only.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/window_def.h"
#include "platform/image.h"
#include "platform/win32/gdi_handles.h"

struct Control {
    const ControlDef* def = nullptr;
    HWND hwnd = nullptr;  // none for timers
    UINT_PTR timer_id = 0;
    OwnedFont font;        // a font of its own, when the definition has one
    OpaqueImage picture;   // picture boxes: the blended picture, drawn size
    int picture_x = 0, picture_y = 0;
};

struct WindowInstance {
    const WindowDef* def = nullptr;
    HWND hwnd = nullptr;
    std::vector<std::unique_ptr<Control>> controls;
    OwnedIcon large_icon, small_icon;  // only for icons of its own
    OwnedBrush edit_back;              // background brush of its edit boxes
    bool is_dialog = false;
};

// The open window built from def, or null.
WindowInstance* find_instance(const WindowDef& def);

// Controls.
void create_controls(WindowInstance& w);
Control* control_of_hwnd(WindowInstance& w, HWND child);
Control* timer_control(WindowInstance& w, UINT_PTR id);
void destroy_controls(WindowInstance& w);

// Self-drawn controls: the Control a window belongs to, attached from its
// creation parameters at WM_NCCREATE (null for the messages before it), and
// the registration of their window classes.
Control* attached_control(HWND hwnd, UINT msg, LPARAM lp);
void register_control_class(HINSTANCE instance, const wchar_t* name, WNDPROC proc, UINT style);

// Window classes of the self-drawn controls.
void register_label_class(HINSTANCE instance);
void register_picture_class(HINSTANCE instance);
extern const wchar_t kLabelClass[];
extern const wchar_t kPictureClass[];

// Picture boxes: decode, blend and fit the picture for the box.
void load_picture(Control& c);

// The message loop step shared by the main and the nested loops: Esc and Tab
// handling, then dispatch.
void dispatch_message(MSG& msg);

HFONT default_gui_font();
HINSTANCE program_instance();
