// The command after extraction, and the clean-up of a temporary destination.
#pragma once

#include <string>

// Field 1 is the file, field 2 the parameters; every "><" in them stands
// for Destination with a trailing backslash, which GetCommandField leaves
// on Destination.
std::string GetCommandField(int field);
// The run check box's caption or the failure text: templateInf for an
// ".inf" command, templateOther for anything else.
std::string RunPromptText(const std::string& templateInf, const std::string& templateOther);
// Starts the command from Destination; 32 or more means it started.
int RunAfterExtract();
// Has the volatile destination folder removed at the next logon.
void ScheduleTempRemoval();
// Sets TICKS to the tick count, for the processes the stub starts.
void SetTicksVariable();
