#pragma once

// The hourglass while a user command works: set once by the window around the command, never
// by the data access. Nested waits show it once. A message box or a modal dialog opened in the
// middle of a command runs under a Pause, with the normal pointer, and the hourglass comes back
// when it closes.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    class Pause {
    public:
        Pause();
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;
    };

    // Whether the hourglass is up (tests).
    static bool shown();
};
