// The key filters of the settings dialog's joint-characters box.
#pragma once

#include <windows.h>

// Lets only digits and Backspace into 'edit', and after every key release
// turns a box that is no number into "32" and a value above 64 into "64".
void FilterJointBox(HWND edit);
