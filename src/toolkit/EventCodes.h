#pragma once

// Result codes that the window layer gives back from modal runs, and the code that closes
// the main window.
inline constexpr int kAcceptedResult = -2999;
inline constexpr int kRejectedResult = 0;
inline constexpr int kExitCode = -11;
