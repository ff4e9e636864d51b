// The drivers' side of the stand-in sign-in dialog: starts standin_dialog.exe
// with a report file of its own, and reads back where it was clicked.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/driver.h"

// Puts the cursor at (x, y) and waits until Wine reports it there. Wine 8
// grabs the pointer around every warp, and in a virtual desktop the
// desktop's own process turns the grab's crossing event into a mouse move
// back to where the cursor was; now and then that lands between a
// SetCursorPos and the button events that follow it and sends the click to
// the old place. A SetCursorPos to where the cursor already is does not warp,
// so a driver that parks the cursor on the point it expects a click at
// keeps that race out of checks that are about something else.
bool park_cursor(int x, int y);

struct StandInEvent {
    std::string kind;  // "ready", "down", "up", "ncdown", "ncup"
    long a = 0, b = 0, c = 0, d = 0;  // see standin_dialog.cpp
};

class StandIn {
public:
    StandIn() = default;
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
    ~StandIn();  // ends the process if it still runs and removes the report

    // Starts it at (x, y) with outer size w x h; true once it is shown.
    bool start(int x, int y, int w, int h, bool stay, DWORD ms = 20000);

    std::vector<StandInEvent> events() const;
    // The button events only (everything but "ready").
    std::vector<StandInEvent> clicks() const;
    RECT shown_rect() const;  // as the stand-in reported it when shown
    Process& process() { return process_; }

private:
    Process process_;
    std::wstring report_;
};
