// Late-bound automation of Word: names looked up through GetIDsOfNames,
// calls made through Invoke, every reference and string released.
#include "convert/win/WordAutomation.h"

#include <initializer_list>
#include <vector>

#include "sys/WideText.h"

namespace {

constexpr long kFormatText = 2;   // wdFormatText

// One COM reference, released when it goes.
class DispatchRef {
public:
    DispatchRef() = default;
    ~DispatchRef() {
        if (p_)
            p_->Release();
    }
    DispatchRef(const DispatchRef&) = delete;
    DispatchRef& operator=(const DispatchRef&) = delete;
    IDispatch* get() const { return p_; }
    IDispatch** out() { return &p_; }

private:
    IDispatch* p_ = nullptr;
};

// A VARIANT cleared when it goes: empty, a UTF-8 string (held as a BSTR)
// or a 32-bit number.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    explicit Variant(const std::string& utf8) : Variant() {
        std::wstring wide = WideFromUtf8(utf8);
        v_.vt = VT_BSTR;
        v_.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
    explicit Variant(long number) : Variant() {
        v_.vt = VT_I4;
        v_.lVal = number;
    }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* get() { return &v_; }
    const VARIANT& value() const { return v_; }
    // Moves a dispatch result into 'ref'; false when the result is none.
    bool TakeDispatch(DispatchRef& ref) {
        if (v_.vt != VT_DISPATCH || !v_.pdispVal)
            return false;
        *ref.out() = v_.pdispVal;
        v_.vt = VT_EMPTY;
        return true;
    }

private:
    VARIANT v_;
};

// Calls 'name' on 'object' with the arguments in their written order
// (Invoke takes them last first); 'result' may be null.
HRESULT Call(IDispatch* object, const wchar_t* name, WORD kind,
             std::initializer_list<const Variant*> args, Variant* result) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return hr;
    std::vector<VARIANT> reversed;
    for (auto it = args.end(); it != args.begin();)
        reversed.push_back((*--it)->value());
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params,
                          result ? result->get() : nullptr, nullptr, nullptr);
}

bool OpenAndSave(IDispatch* application, const std::string& source, const std::string& target) {
    Variant documentsResult;
    DispatchRef documents;
    if (FAILED(Call(application, L"Documents", DISPATCH_PROPERTYGET, {}, &documentsResult)) ||
        !documentsResult.TakeDispatch(documents))
        return false;
    Variant fileName(source), documentResult;
    DispatchRef document;
    if (FAILED(Call(documents.get(), L"Open", DISPATCH_METHOD, {&fileName}, &documentResult)) ||
        !documentResult.TakeDispatch(document))
        return false;
    Variant targetName(target), format(kFormatText), saved;
    return SUCCEEDED(
        Call(document.get(), L"SaveAs", DISPATCH_METHOD, {&targetName, &format}, &saved));
}

}  // namespace

bool SaveAsTextWith(IDispatch* application, const std::string& source, const std::string& target) {
    bool converted = OpenAndSave(application, source, target);
    Variant quit;
    bool quitted = SUCCEEDED(Call(application, L"Quit", DISPATCH_METHOD, {}, &quit));
    return converted && quitted;
}

WordOutcome WordDocToText(const std::string& source, const std::string& target) {
    CLSID word;
    if (FAILED(CLSIDFromProgID(L"Word.Application", &word)))
        return WordOutcome::NotAvailable;
    DispatchRef application;
    if (FAILED(CoCreateInstance(word, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(application.out()))) ||
        !application.get())
        return WordOutcome::NotAvailable;
    return SaveAsTextWith(application.get(), source, target) ? WordOutcome::Converted
                                                             : WordOutcome::Failed;
}
