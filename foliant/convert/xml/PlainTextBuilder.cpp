// The text collector of the XML-based document readers.
#include "convert/xml/PlainTextBuilder.h"

#include "convert/rtf/AnsiText.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

void PlainTextBuilder::Put(std::string_view utf8) {
    if (utf8.empty())
        return;
    if (pendingSpace_ && LineOpen())
        Out() += ' ';
    pendingSpace_ = false;
    Out().append(utf8);
    LineOpen() = true;
}

void PlainTextBuilder::Append(std::string_view utf8) {
    Put(utf8);
}

void PlainTextBuilder::AppendCollapsed(std::string_view utf8) {
    size_t i = 0;
    while (i < utf8.size()) {
        if (IsBlank(utf8[i])) {
            pendingSpace_ = true;
            while (i < utf8.size() && IsBlank(utf8[i]))
                ++i;
            continue;
        }
        size_t start = i;
        while (i < utf8.size() && !IsBlank(utf8[i]))
            ++i;
        Put(utf8.substr(start, i - start));
    }
}

bool PlainTextBuilder::InCell() const {
    return tableDepth_ > 0 && noteDepth_ == 0;
}

void PlainTextBuilder::Tab() {
    if (InCell()) {
        pendingSpace_ = true;
        return;
    }
    TabMark();
}

void PlainTextBuilder::TabMark() {
    pendingSpace_ = false;
    Out() += '\t';
    LineOpen() = true;
}

void PlainTextBuilder::LineBreak() {
    if (InCell()) {
        pendingSpace_ = true;
        return;
    }
    NewLine();
}

void PlainTextBuilder::NewLine() {
    pendingSpace_ = false;
    Out() += '\n';
    LineOpen() = false;
}

void PlainTextBuilder::EndParagraph() {
    LineBreak();
}

void PlainTextBuilder::EndLineIfOpen() {
    if (InCell())
        pendingSpace_ = true;
    else if (LineOpen())
        NewLine();
    else
        pendingSpace_ = false;
}

void PlainTextBuilder::BeginCell() {
    pendingSpace_ = false;
    if (cellStarted_)
        TabMark();
    cellStarted_ = true;
}

void PlainTextBuilder::EndRow() {
    if (cellStarted_ || LineOpen())
        NewLine();
    cellStarted_ = false;
}

void PlainTextBuilder::EndTable() {
    if (tableDepth_ > 0)
        --tableDepth_;
    cellStarted_ = false;
}

void PlainTextBuilder::BeginNote() {
    if (noteDepth_++ == 0)
        pendingSpace_ = false;
}

void PlainTextBuilder::EndNote() {
    if (noteDepth_ == 0)
        return;
    if (noteDepth_ == 1 && noteLineOpen_)
        NewLine();
    --noteDepth_;
    pendingSpace_ = false;
}

std::string PlainTextBuilder::Finish(System& sys) {
    std::string all = body_;
    if (!notes_.empty()) {
        if (bodyLineOpen_)
            all += '\n';
        all += notes_;
    }
    return Utf8ToAnsiText(sys, all);
}

std::string Utf8ToAnsiText(System& sys, std::string_view utf8) {
    std::string text;
    text.reserve(utf8.size() + utf8.size() / 16);
    for (char c : utf8) {
        if (c == '\r')
            continue;
        if (c == '\n')
            text += '\r';
        text += c;
    }
    while (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
        text.resize(text.size() - 2);
    if (text.empty())
        return text;
    text += "\r\n";
    return ToAnsiText(sys, sys.ToUtf16Le(text, kUtf8CodePage));
}
