#pragma once

// The whole run: start-up, message loop, end. Command-line arguments are ignored.
int RunTempovir(char *programPath);

// The desktop logs out or shuts down (or the program gets SIGTERM): the user's alarm edits,
// an edit still open included, reach the file; no alarm fires any more; and a power-off
// countdown under way is called off, since nobody is left to cancel it. Preferences and
// placement are not written then.
void SessionEnding();
