// Cmd_Output, EstimatePieces, ConvertAndCutFile and TempFolder.
#include "convert/Mod_Function.h"

#include <algorithm>
#include <limits>
#include <new>
#include <random>
#include <stdexcept>

#include "convert/html/Mod_Htm2Txt.h"
#include "convert/OutputFolder.h"
#include "convert/text/TextStreams.h"
#include "convert/TextCutter.h"
#include "convert/text/UnicodeText.h"
#include "convert/text/TextEncoder.h"
#include "convert/doc/DocReader.h"
#include "convert/rtf/RtfReader.h"
#include "convert/xml/XmlDocuments.h"

namespace {

constexpr int kRandomRange = 1000;

std::string ReplaceEvery(std::string text, const std::string& find, const std::string& with) {
    for (size_t at = text.find(find); at != std::string::npos; at = text.find(find, at + with.size()))
        text.replace(at, find.size(), with);
    return text;
}

// The notes of a document beside its temporary text file, removed when
// they have been read back.
class FileNoteStore final : public NoteStore {
public:
    FileNoteStore(System& sys, std::string path) : sys_(sys), path_(std::move(path)) {}
    ~FileNoteStore() override {
        file_.reset();
        if (made_)
            sys_.RemoveFile(path_);
    }

    bool Write(std::string_view utf8) override {
        if (!made_) {
            std::unique_ptr<FileWriter> file = sys_.CreateForWriting(path_);
            made_ = file != nullptr;
            if (file)
                file_ = std::make_unique<BufferedWriter>(std::move(file));
        }
        return file_ && file_->Write(utf8);
    }

    bool ReadBack(const std::function<bool(std::string_view)>& part) override {
        if (!file_ || !file_->Close())
            return false;
        std::unique_ptr<FileReader> file = sys_.OpenForReading(path_);
        if (!file)
            return false;
        std::string buffer(64 * 1024, '\0');
        for (size_t got = 0;;) {
            if (!file->Read(&buffer[0], buffer.size(), got))
                return false;
            if (got == 0)
                return true;
            if (!part(std::string_view(buffer.data(), got)))
                return false;
        }
    }

private:
    System& sys_;
    std::string path_;
    std::unique_ptr<BufferedWriter> file_;
    bool made_ = false;
};

// Reads an XML-based document and writes its text into 'target' as it
// comes; false, and no target, when it gives none.
bool XmlDocumentToText(System& sys, XmlDocumentReader read, const std::string& source,
                       const std::string& target, ReadReport& report) {
    std::unique_ptr<FileWriter> made = sys.CreateForWriting(target);
    if (!made) {
        report.why = SkipReason::Unreadable;
        return false;
    }
    BufferedWriter writer(std::move(made));
    FileNoteStore notes(sys, target + ".notes");
    PlainTextBuilder out;
    out.StreamTo(sys, [&writer](std::string_view ansi) { return writer.Write(ansi); }, &notes);
    bool whole = read(sys, source, out, report) && out.EndStream();
    if (writer.Close() && whole)
        return true;
    sys.RemoveFile(target);
    return false;
}

}  // namespace

std::string TemporaryFileName(const std::string& tempFolder, const CalendarDate& date,
                              uint32_t tickCount, const std::string& tag, int random) {
    return tempFolder + std::to_string(date.year) + std::to_string(date.month) +
           std::to_string(date.day) + std::to_string(static_cast<int32_t>(tickCount)) + tag +
           std::to_string(random) + ".txt";
}

int32_t EstimateFor(int64_t totalBytes, size_t itemCount, const AppSettings& settings) {
    int32_t S = 0;
    int32_t index = settings.CutTypeIndex;
    if (index >= 0 && static_cast<size_t>(index) < settings.CutTypes.size())
        S = settings.CutTypes[static_cast<size_t>(index)].SingleFileSize;
    int64_t estimate;
    if (S > 0) {
        estimate = totalBytes / (static_cast<int64_t>(S) * (static_cast<int64_t>(index) + 1));
        estimate += estimate / 10;
    } else {
        estimate = static_cast<int64_t>(itemCount);
    }
    return static_cast<int32_t>(std::min<int64_t>(estimate, std::numeric_limits<int32_t>::max()));
}

bool IsPerFileMode(const AppSettings& settings) {
    return settings.CutTypes.empty() || settings.CutTypes.back().SingleFileSize == 0;
}

void ConversionRun::EstimatePieces(const std::vector<std::string>& importList) {
    // A file that can no longer be measured counts as empty.
    int64_t total = 0;
    for (const std::string& path : importList) {
        int64_t size = 0;
        if (sys_.FileSize(path, size))
            total += size;
    }
    state_.PieceEstimate = EstimateFor(total, importList.size(), settings_);
}

std::string ConversionRun::TempFolder() {
    std::string folder = sys_.GetEnv("TEMP");
    if (folder.empty())
        folder = sys_.SystemTempFolder();
    if (folder.back() != '\\')
        folder += '\\';
    return folder;
}

std::string ConversionRun::MakeTemporaryName(const std::string& tag) {
    std::minstd_rand generator(sys_.TickCount());
    std::uniform_real_distribution<double> fraction(0.0, 1.0);
    int r = kRandomRange - 1 - static_cast<int>(fraction(generator) * kRandomRange);
    std::string folder = TempFolder();
    CalendarDate today = sys_.Today();
    uint32_t tick = sys_.TickCount();
    std::string name = TemporaryFileName(folder, today, tick, tag, r);
    // Never reuse a name that is already taken.
    for (int tries = 1; tries < kRandomRange && sys_.FileExists(name); ++tries)
        name = TemporaryFileName(folder, today, tick, tag, (r + tries) % kRandomRange);
    return name;
}

namespace {

// Runs one step of the work on an input. An exception it lets out becomes
// the reason the input gives no text, so that the run goes on with the
// next input: a document too large for memory, or one that broke a reader.
template <typename Step>
bool Contained(Step step, SkipReason& failure) {
    try {
        return step();
    } catch (const std::bad_alloc&) {
        failure = SkipReason::TooLarge;
    } catch (const std::length_error&) {
        failure = SkipReason::TooLarge;
    } catch (...) {
        failure = SkipReason::Unreadable;
    }
    return false;
}

}  // namespace

bool ConversionRun::Convert(const std::string& path, const DocumentKind& kind,
                            std::vector<WorkItem>& work, SkipReason& failure, std::string& detail) {
    if (kind.read) {
        work.push_back({MakeTemporaryName(kind.tag), true, TextCoding::Utf8(), true});
        ReadReport report;
        bool read = XmlDocumentToText(sys_, kind.read, path, work.back().path, report);
        for (const std::string& part : report.skippedParts)
            host_.PartSkipped(path, part);
        if (!read) {
            failure = report.why;
            detail = report.detail;
        }
        return read;
    }
    switch (kind.kind) {
    case InputKind::Text: {
        switch (DetectTextEncoding(sys_, path)) {
        case TextEncoding::Bytes:
            work.push_back({path, false, input_, false});
            break;
        case TextEncoding::Utf8:
            work.push_back({path, false, TextCoding::Utf8(), false});
            break;
        case TextEncoding::Utf16Le:
            work.push_back({path, false, TextCoding::Utf16Le(), false});
            break;
        case TextEncoding::Utf16Be:
            work.push_back({path, false, TextCoding::Utf16Be(), false});
            break;
        }
        return true;
    }
    case InputKind::Html:
        work.push_back({MakeTemporaryName(kind.tag), true, TextCoding::Utf8(), true});
        return HtmlToText(sys_, path, work.back().path, input_,
                          [this](int percent) { host_.SetFileProgress(percent); });
    case InputKind::Rtf:
    case InputKind::Doc: {
        bool rtf = kind.kind == InputKind::Rtf;
        work.push_back({MakeTemporaryName(kind.tag), true, TextCoding::Ansi(), false});
        WorkItem& item = work.back();
        if (rtf ? converters_.RtfToText(path, item.path) : converters_.DocToText(path, item.path)) {
            item.coding = converters_.LastCoding();
            item.clean = item.coding.IsUnicode();
            return true;
        }
        failure = converters_.LastFailure();
        return false;
    }
    case InputKind::Docx:
    case InputKind::Odt:
    case InputKind::Epub:
    case InputKind::Fb2:
    case InputKind::Unknown:
        break;
    }
    return false;
}

void ConversionRun::ConvertAndCutFile(const std::string& path) {
    const DocumentKind& kind = KindOf(path);
    if (kind.kind == InputKind::Unknown) {
        host_.InputSkipped(path, SkipReason::UnknownEnding, "");
        return;
    }
    if (!sys_.FileExists(path)) {
        host_.InputSkipped(path, SkipReason::Unreadable, "");
        return;
    }
    // List2. Temporary files go on every way out, an exception's included.
    struct WorkList {
        System& sys;
        std::vector<WorkItem> items;
        std::vector<std::string> replaced;  // temporary files an item no longer names
        ~WorkList() {
            for (const WorkItem& item : items)
                if (item.deleteAfter)
                    sys.RemoveFile(item.path);
            for (const std::string& file : replaced)
                sys.RemoveFile(file);
        }
    } work{sys_, {}};
    SkipReason failure = SkipReason::Unreadable;
    std::string detail;
    bool converted =
        Contained([&] { return Convert(path, kind, work.items, failure, detail); }, failure);

    CutSettings cut = CutSettingsFor(sys_, settings_, output_);
    CharacterLoss loss;
    for (WorkItem& item : work.items) {
        int32_t piecesBefore = state_.PieceCount;
        int writeFailuresBefore = writer_->WriteFailures();
        CutResult result = CutResult::Failed;
        SkipReason cutFailure = SkipReason::Unreadable;
        bool cutWhole = Contained(
            [&] {
                // Text not yet in the pieces' coding is written in it first.
                if (!SameBytes(item.coding, output_) || (item.coding.IsUnicode() && !item.clean)) {
                    WorkItem source = item;
                    if (source.deleteAfter)
                        work.replaced.push_back(source.path);
                    item = {MakeTemporaryName(kind.tag), true, output_, true};
                    bool encoded =
                        EncodeTextFile(sys_, source.path, source.coding, item.path, output_, loss);
                    if (source.deleteAfter)
                        sys_.RemoveFile(source.path);
                    if (!encoded) {
                        result = CutResult::Missing;
                        return true;
                    }
                }
                result = CutTextFile(
                    sys_, item.path, cut, *writer_, [this] { host_.PumpMessages(); },
                    [this](int percent) { host_.CutProgress(percent); });
                return true;
            },
            cutFailure);
        if (item.deleteAfter) {
            sys_.RemoveFile(item.path);
            item.deleteAfter = false;
        }
        // Failures to write are the writer's to report.
        bool writeFailed = writer_->WriteFailures() != writeFailuresBefore;
        if (!converted)
            host_.InputSkipped(path, failure, detail);
        else if (!cutWhole)
            host_.InputSkipped(path, cutFailure, "");
        else if (result == CutResult::Missing || (result == CutResult::Failed && !writeFailed))
            host_.InputSkipped(path, SkipReason::Unreadable, "");
        else if (result == CutResult::Done && state_.PieceCount == piecesBefore)
            host_.InputSkipped(path, SkipReason::NoText, "");
    }
    if (!converted && work.items.empty())
        host_.InputSkipped(path, failure, detail);
    if (loss.count > 0)
        host_.CharactersLost(path, loss.count, loss.first);
}

RunOutcome ConversionRun::Cmd_Output() {
    std::vector<std::string> importList = host_.ImportList();
    if (!FixInput(sys_, host_.BookNameText(), importList.size(), lang_, host_))
        return RunOutcome::Refused;
    std::string folder =
        OutputFolderRule(sys_, host_.ChooseOutputFolder(Said(kStrOutputFolderTitle)));
    if (folder.empty())
        return RunOutcome::Refused;

    // A coding the settings name wrongly leaves the pieces as they always
    // were: in the ANSI code page, like text without a mark.
    std::string badKey;
    if (!RunCodings(sys_, settings_, output_, input_, badKey)) {
        output_ = TextCoding::Ansi();
        input_ = TextCoding::Ansi();
    }
    host_.SetBusy(true);
    state_.StopRequested = false;
    settings_.BookName = host_.BookNameText();
    settings_.OutPutDir = folder + settings_.BookName + "\\";
    sys_.CreateFolder(settings_.OutPutDir);
    if (!sys_.FolderExists(settings_.OutPutDir))
        host_.RunFolderNotMade(settings_.OutPutDir);
    state_.PieceCount = 0;
    EstimatePieces(importList);
    host_.SetOverallProgress(0);
    host_.SetFileProgress(0);

    bool perFile = IsPerFileMode(settings_);
    PieceWriter writer(sys_, host_, state_, settings_.OutPutDir, perFile);
    writer_ = &writer;
    {
        CharacterLoss none;
        writer.SetFraming(TextEncoder(sys_, output_).ByteOrderMark(),
                          EncodeText(sys_, "\r\n", TextCoding::Ansi(), output_, none));
    }
    writer.SetBookName(settings_.BookName);
    writer.ProtectInputs(importList);
    for (const std::string& item : importList) {
        host_.PumpMessages();
        if (perFile) {
            settings_.BookName = BaseNameOf(item);
            writer.SetBookName(settings_.BookName);
        }
        if (state_.StopRequested) {
            if (host_.AskYesNo(Said(kStrStopQuestion)))
                break;
            state_.StopRequested = false;
        }
        host_.SetStatus(Said(kStrProcessing) + item);
        SkipReason why = SkipReason::Unreadable;
        if (!Contained([&] { ConvertAndCutFile(item); return true; }, why))
            host_.InputSkipped(item, why, "");
    }
    writer_ = nullptr;

    host_.SetOverallProgress(100);
    host_.SetFileProgress(0);
    RunOutcome outcome;
    if (state_.StopRequested) {
        host_.ShowMessage(Said(kStrStopped));
        outcome = RunOutcome::Stopped;
    } else {
        settings_.BookName = host_.BookNameText();
        host_.ShowMessage(ReplaceEvery(Said(kStrFinished), "@BookName", settings_.BookName));
        outcome = RunOutcome::Finished;
    }
    host_.SetBusy(false);
    return outcome;
}

bool RunCodings(System& sys, const AppSettings& settings, TextCoding& output, TextCoding& input,
                std::string& badKey) {
    output = TextCoding::Ansi();
    input = TextCoding::Ansi();
    if (!ParseTextCoding(sys, settings.OutputCodePage, output, true)) {
        badKey = "OutputCodePage";
        return false;
    }
    if (!ParseTextCoding(sys, settings.InputCodePage, input, false)) {
        badKey = "InputCodePage";
        return false;
    }
    return true;
}

bool ReaderConverters::RtfToText(const std::string& source, const std::string& target) {
    lastFailure_ = SkipReason::Unreadable;
    std::string rtf;
    std::string text;
    if (!sys_.ReadFile(source, rtf) || !RtfToPlainText(sys_, rtf, text))
        return false;
    // The reader's text already ends with the one CR LF the control's
    // text is written with.
    return sys_.WriteFile(target, text);
}

bool ReaderConverters::DocToText(const std::string& source, const std::string& target) {
    std::string doc;
    std::string text;
    lastFailure_ = SkipReason::Unreadable;
    if (!sys_.ReadFile(source, doc))
        return false;
    switch (ReadWordDocument(doc, text)) {
    case DocProblem::None:
        return sys_.WriteFile(target, text);
    case DocProblem::NotWord:
        lastFailure_ = SkipReason::NotWordDocument;
        return false;
    case DocProblem::Encrypted:
        lastFailure_ = SkipReason::Encrypted;
        return false;
    case DocProblem::Damaged:
        return false;
    }
    return false;
}
