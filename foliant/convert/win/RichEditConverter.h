// RTF to plain text through the system's rich edit control, the hidden
// RichTextBox1 of the main window.
#pragma once

#include <windows.h>

#include <string>

// Creates the hidden rich edit control (RichEdit20A of riched20.dll) as a
// child of 'parent'; nullptr when the library or its class is missing.
HWND CreateRichTextBox(HWND parent, int id);

// Replaces the control's content by the RTF document 'rtf' and gives its
// plain text in UTF-8, lines ending in CR LF. False when the
// control refuses the document.
bool RichEditPlainText(HWND richEdit, const std::string& rtf, std::string& text);
