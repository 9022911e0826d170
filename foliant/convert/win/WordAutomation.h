// Word documents to plain text through Word's automation server, driven
// late-bound through IDispatch: Documents.Open, SaveAs as plain text, Quit.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

enum class WordOutcome { NotAvailable, Converted, Failed };

// Starts a new Word application object and has it save 'source' as plain
// text into 'target'. NotAvailable when Word is not registered or cannot
// be started; Failed when Word could not open or save the document.
WordOutcome WordDocToText(const std::string& source, const std::string& target);

// The conversion on a running application object: Documents.Open with the
// file name alone, SaveAs with the target and file format 2, then Quit,
// also after a failure. Every reference it takes is released; the
// application reference stays the caller's.
bool SaveAsTextWith(IDispatch* application, const std::string& source, const std::string& target);
