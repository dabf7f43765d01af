#pragma once

// Result codes that the window layer gives back from modal runs, and the code that closes
// the main window.
inline constexpr int kAcceptedResult = -2999;
inline constexpr int kRejectedResult = 0;
// A dialog's answer to an event that keeps it open (a refused entry, for another try).
inline constexpr int kContinueResult = -3;
inline constexpr int kExitCode = -11;
