// HTML and script pages to plain text: a line-by-line filter that drops
// script and style blocks, decodes a few entities, turns <br> and <p> into
// line breaks, removes everything between angle brackets and drops blank
// lines.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "convert/text/TextCoding.h"
#include "sys/System.h"

// How DecodeLineEntities renders what depends on the caller.
struct EntityOptions {
    std::string emDash = "\x97";  // U+2014 in the ANSI code page
    bool decodeBrackets = true;   // &gt; and &lt; (exact case)
};

// True for the empty text and for exactly one blank.
bool IsBlankText(std::string_view text);

// The entity table, in order: &nbsp; &amp; &#8212; &quot; <br> <p> (any
// case), &gt; &lt; (exact), then pairs of blanks and tabs are dropped.
std::string DecodeLineEntities(std::string_view line, const EntityOptions& options = {});

// The line without its first block of 'tag' ("script" or "style"): the
// text before "<tag" joined to the text after the first "</tag>" that
// follows it. Unchanged when there is no such block.
std::string CutTagBlock(std::string_view line, std::string_view tag);

// Receives the per-file progress, 0 to 100.
using ProgressSink = std::function<void(int)>;

// Writes the text of page 'source' into 'target', in UTF-8. A page that
// does not declare UTF-8 is read in 'pageCoding'. False when the source
// cannot be opened or the target cannot be created; a later failure keeps
// what was written so far.
bool HtmlToText(System& sys, const std::string& source, const std::string& target,
                const TextCoding& pageCoding, const ProgressSink& progress);

// Position of 'needle' in 'text' at or after 'from', comparing ASCII
// letters without regard to case; npos when absent.
size_t FindNoCase(std::string_view text, std::string_view needle, size_t from = 0);
