// Collects a document's text as the readers walk it: lines, table rows
// whose cells are separated by TAB, and notes kept apart to follow the
// body. The text is UTF-8 throughout.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "sys/System.h"

// Receives finished text in UTF-8; false when it could not
// be written.
using TextSink = std::function<bool(std::string_view ansi)>;

// Where the notes of a streamed text wait for the end of the body: they
// are written as they grow and read back, in parts, at the end.
class NoteStore {
public:
    virtual ~NoteStore() = default;
    virtual bool Write(std::string_view utf8) = 0;
    // Everything written, in order, to 'part'; false when it could not be
    // read back or 'part' said stop.
    virtual bool ReadBack(const std::function<bool(std::string_view utf8)>& part) = 0;
};

class PlainTextBuilder {
public:
    // Streams the body to 'sink' as it grows, so that memory does not
    // grow with the document; EndStream then gives the rest. Notes go to
    // 'notes', when given, once they pass a megabyte.
    void StreamTo(System& sys, TextSink sink, NoteStore* notes = nullptr);

    // Text as the document holds it, every character kept.
    void Append(std::string_view utf8);
    // Text whose runs of blanks and line ends mean one space (ODF, XHTML,
    // FictionBook); blanks at the start and end of a line are dropped.
    void AppendCollapsed(std::string_view utf8);
    // Inside a table cell a tab, a line break or a paragraph's end is a
    // space, so that a row stays one line.
    void Tab();
    // Ends the current line even when it is empty.
    void LineBreak();
    void EndParagraph();
    // Ends the current line unless nothing was written on it.
    void EndLineIfOpen();

    // Tables: a row is one line, cells separated by TAB.
    void BeginCell();
    void EndRow();
    void BeginTable() { ++tableDepth_; }
    void EndTable();

    // What is appended between these goes after the body.
    void BeginNote();
    void EndNote();
    bool InNote() const { return noteDepth_ > 0; }

    // A point to come back to when a part read after it turns out
    // unreadable; nothing is streamed until it is restored or released,
    // unless the text held since passes a few megabytes.
    struct Checkpoint {
        size_t bodySize, notesSize;
        bool bodyLineOpen, noteLineOpen, pendingSpace, cellStarted;
        int tableDepth, noteDepth;
    };
    Checkpoint Save();
    // False when the text since the point was streamed already: it stays,
    // and only the tables and notes opened since are closed.
    bool Restore(const Checkpoint& point);
    void Release();

    // The whole text in UTF-8 with CR LF line ends, ending
    // with exactly one CR LF when there is any text.
    std::string Finish();
    // Streaming: the rest of the body, the notes and the closing CR LF go
    // to the sink, as Finish would give them. False when the sink failed.
    bool EndStream();

private:
    std::string& Out() { return noteDepth_ > 0 ? notes_ : body_; }
    bool& LineOpen() { return noteDepth_ > 0 ? noteLineOpen_ : bodyLineOpen_; }
    void Put(std::string_view utf8);
    bool InCell() const;
    void TabMark();
    void NewLine();
    void Spill();
    void SpillNotes();
    bool AppendStoredNotes();
    // The notes after the body, on a line of their own.
    void MergeNotes();

    std::string body_;
    std::string notes_;
    bool bodyLineOpen_ = false;   // something written since the last line end
    bool noteLineOpen_ = false;
    bool pendingSpace_ = false;   // a collapsed blank not yet written
    bool cellStarted_ = false;    // the row has a cell already
    int tableDepth_ = 0;
    int noteDepth_ = 0;
    System* streamSystem_ = nullptr;  // set while streaming
    TextSink sink_;
    bool held_ = false;               // a checkpoint is out
    bool holdLost_ = false;           // and its text was streamed all the same
    bool streamed_ = false;           // some text has gone to the sink
    bool sinkFailed_ = false;
    NoteStore* noteStore_ = nullptr;
    bool notesStored_ = false;        // some notes are in the store
};

// UTF-8 text (LF or CR LF line ends) with CR LF line ends, ending with one
// CR LF; an invalid sequence becomes U+FFFD.
std::string Utf8ToCrLfText(std::string_view utf8);
// The same for a part of such a text: no line end is dropped or added.
std::string Utf8PartToCrLfText(std::string_view utf8);
