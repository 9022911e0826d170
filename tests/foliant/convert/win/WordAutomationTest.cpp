// Word documents through automation: the calls made on a stand-in Word
// application (names, arguments, order, references released, Quit after a
// failure), and the own reader taking over where Word is not installed.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "convert/Mod_Function.h"
#include "convert/win/WindowsConverters.h"
#include "convert/win/WordAutomation.h"
#include "support/TempFolder.h"
#include "sys/System.h"

namespace {

struct Call {
    std::string object, name;
    WORD kind;
    std::vector<std::string> args;   // in written order: strings as text, numbers as digits
};

std::string Narrow(const wchar_t* text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length > 0 ? length - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
    return out;
}

std::string ArgumentText(const VARIANT& v) {
    if (v.vt == VT_BSTR)
        return Narrow(v.bstrVal);
    if (v.vt == VT_I4)
        return std::to_string(v.lVal);
    return "vt " + std::to_string(v.vt);
}

// An automation object that knows a few names; each call is logged and
// answered by 'answer'. The test owns the object; 'references' counts what
// the code under test still holds.
class FakeObject : public IDispatch {
public:
    using Answer = std::function<HRESULT(const std::string& name, VARIANT* result)>;
    FakeObject(std::string label, std::vector<std::string> names, std::vector<Call>& log)
        : label_(std::move(label)), names_(std::move(names)), log_(log) {}

    Answer answer = [](const std::string&, VARIANT*) { return S_OK; };
    LONG references = 0;

    // Hands the object out as a call result, with one reference.
    void ReturnIn(VARIANT* result) {
        AddRef();
        result->vt = VT_DISPATCH;
        result->pdispVal = this;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (size_t k = 0; k < names_.size(); ++k)
                if (names_[k] == Narrow(names[i]))
                    ids[i] = static_cast<DISPID>(k + 1);
            if (ids[i] == DISPID_UNKNOWN)
                return DISP_E_UNKNOWNNAME;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD kind, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id < 1 || static_cast<size_t>(id) > names_.size())
            return DISP_E_MEMBERNOTFOUND;
        Call call{label_, names_[static_cast<size_t>(id - 1)], kind, {}};
        for (UINT i = params->cArgs; i > 0; --i)
            call.args.push_back(ArgumentText(params->rgvarg[i - 1]));
        log_.push_back(call);
        VARIANT ignored;
        VariantInit(&ignored);
        return answer(call.name, result ? result : &ignored);
    }

private:
    std::string label_;
    std::vector<std::string> names_;
    std::vector<Call>& log_;
};

// Word.Application, its Documents collection and one document. SaveAs
// writes 'savedText' into the file it is given.
class FakeWord {
public:
    std::vector<Call> log;
    FakeObject application{"Application", {"Documents", "Quit", "Visible"}, log};
    FakeObject documents{"Documents", {"Open", "Add"}, log};
    FakeObject document{"Document", {"SaveAs", "Close"}, log};
    std::string savedText = "text as Word saves it\r\n";
    bool openFails = false;
    bool saveFails = false;

    FakeWord() {
        application.AddRef();   // the caller's reference
        application.answer = [this](const std::string& name, VARIANT* result) {
            if (name == "Documents")
                documents.ReturnIn(result);
            return S_OK;
        };
        documents.answer = [this](const std::string&, VARIANT* result) {
            if (openFails)
                return DISP_E_EXCEPTION;
            document.ReturnIn(result);
            return S_OK;
        };
        document.answer = [this](const std::string&, VARIANT*) {
            if (saveFails)
                return DISP_E_EXCEPTION;
            std::ofstream(log.back().args.at(0), std::ios::binary) << savedText;
            return S_OK;
        };
    }
    std::vector<std::string> CallNames() const {
        std::vector<std::string> names;
        for (const Call& c : log)
            names.push_back(c.object + "." + c.name);
        return names;
    }
};

TEST(WordAutomation, OpensSavesAsPlainTextAndQuitsReleasingEverything) {
    TempFolder dir;
    FakeWord word;
    std::string source = dir.File("Report caf\xC3\xA9 \xD0\x96.doc"), target = dir.File("out.txt");
    ASSERT_TRUE(SaveAsTextWith(&word.application, source, target));
    EXPECT_EQ(word.CallNames(), (std::vector<std::string>{"Application.Documents", "Documents.Open",
                                                          "Document.SaveAs", "Application.Quit"}));
    EXPECT_EQ(word.log[0].kind, DISPATCH_PROPERTYGET);
    EXPECT_EQ(word.log[1].kind, DISPATCH_METHOD);
    EXPECT_EQ(word.log[1].args, (std::vector<std::string>{source}));
    EXPECT_EQ(word.log[2].args, (std::vector<std::string>{target, "2"}));
    EXPECT_TRUE(word.log[3].args.empty());
    EXPECT_EQ(dir.Read("out.txt"), word.savedText);
    EXPECT_EQ(word.documents.references, 0);
    EXPECT_EQ(word.document.references, 0);
    EXPECT_EQ(word.application.references, 1) << "the caller's reference stays";
}

TEST(WordAutomation, FailuresPassOnButWordStillQuits) {
    for (bool openFails : {true, false}) {
        TempFolder dir;
        FakeWord word;
        word.openFails = openFails;
        word.saveFails = !openFails;
        EXPECT_FALSE(SaveAsTextWith(&word.application, dir.File("a.doc"), dir.File("a.txt")));
        ASSERT_FALSE(word.log.empty());
        EXPECT_EQ(word.CallNames().back(), "Application.Quit") << openFails;
        EXPECT_EQ(word.documents.references, 0) << openFails;
        EXPECT_EQ(word.document.references, 0) << openFails;
        EXPECT_FALSE(dir.Exists("a.txt"));
    }
}

// Wine has no Word: the own reader converts, and a document it cannot read
// fails as Word would.
TEST(WordAutomation, WithoutWordTheOwnReaderConverts) {
    CLSID clsid;
    ASSERT_TRUE(FAILED(CLSIDFromProgID(L"Word.Application", &clsid)))
        << "this check needs a system without Word";
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    TempFolder dir;
    System& sys = PlatformSystem();
    EXPECT_EQ(WordDocToText(std::string(DOCUMENTS_DATA_DIR) + "\\plain.doc", dir.File("w.txt")),
              WordOutcome::NotAvailable);
    EXPECT_FALSE(dir.Exists("w.txt"));

    WindowsConverters windows(sys, nullptr);
    ReaderConverters readers(sys);
    for (const char* name : {"plain.doc", "table.doc", "plain.rtf"}) {
        std::string source = std::string(DOCUMENTS_DATA_DIR) + "\\" + name;
        bool rtf = std::string(name).ends_with(".rtf");
        ASSERT_TRUE(rtf ? windows.RtfToText(source, dir.File("windows.txt"))
                        : windows.DocToText(source, dir.File("windows.txt")))
            << name;
        ASSERT_TRUE(rtf ? readers.RtfToText(source, dir.File("reader.txt"))
                        : readers.DocToText(source, dir.File("reader.txt")))
            << name;
        EXPECT_GT(dir.Read("windows.txt").size(), 10u) << name;
        EXPECT_EQ(dir.Read("windows.txt"), dir.Read("reader.txt")) << name;
    }
    dir.Write("text.doc", "only some words, no compound file");
    EXPECT_FALSE(windows.DocToText(dir.File("text.doc"), dir.File("bad.txt")));
    CoUninitialize();
}

}  // namespace
