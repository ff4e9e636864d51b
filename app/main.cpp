// The entry routine: prepare the platform, open MainWindow, run the message
// loop until the last window is gone, then clean up.
#include <windows.h>

#include "app/main_window.h"
#include "app/window_list.h"
#include "platform/win32/toolkit.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    init_platform();
    WindowList = TextList();
    at_exit(release_window_list);
    open_startup_window(MainWindow);
    run_message_loop();
    run_exit_routines();
    return 0;
}
