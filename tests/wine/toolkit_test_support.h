// Helpers for the toolkit tests: pumping this thread's messages with a
// deadline, and running an action from inside a nested message loop.
#pragma once

#include <windows.h>

#include <functional>

// Dispatches messages until cond holds or ms have passed; returns cond().
bool pump_until(const std::function<bool()>& cond, DWORD ms);

// Runs action once, from the message loop, after about ms milliseconds:
// how a test acts while open_window is inside its nested loop.
void run_soon(std::function<void()> action, UINT ms = 30);

// Closes every window the test left open and dispatches until they are gone.
void close_all_and_drain();
