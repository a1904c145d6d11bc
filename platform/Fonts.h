#pragma once

namespace platform {

// Makes the faces the window layouts name available: Tahoma and MS Sans Serif from the
// Wine fonts, Arial as Liberation Sans (same metrics). Safe to call more than once.
void RegisterFonts();

} // namespace platform
