#pragma once

// What the power-off countdown needs of the program: the pending flag that the cancel button
// clears, and the countdown window. The program implements it; the countdown tests use a fake.
class TShutdownHost
{
public:
    virtual ~TShutdownHost() = default;

    // Yes while a countdown runs and has not been cancelled.
    virtual bool ShutdownPending() const = 0;
    virtual void setShutdownPending(bool pending) = 0;
    // Shows the window and brings it to the front.
    virtual void showShutdownWindow() = 0;
    virtual void hideShutdownWindow() = 0;
    // Repaints the bar at the position before it returns.
    virtual void setShutdownPosition(int position) = 0;
};
