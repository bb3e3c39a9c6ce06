// Whether progress may be drawn on the standard error stream.
#pragma once

namespace kelvo::platform {

// True when standard error is an interactive terminal that understands the line-erase sequence
// "\r\033[K" (on Windows the console's virtual-terminal mode is switched on for it here).
bool ErrorStreamIsTerminal();

}  // namespace kelvo::platform
