// The HTML 4 entity table and the reference decoder.
#include "convert/html/HtmlEntities.h"

#include "convert/text/Unicode.h"

namespace {

// Format note: the Latin-1 set names U+00A0 to U+00FF in order.
constexpr std::string_view kLatin1[] = {
    "nbsp", "iexcl", "cent", "pound", "curren", "yen", "brvbar", "sect", "uml", "copy", "ordf",
    "laquo", "not", "shy", "reg", "macr", "deg", "plusmn", "sup2", "sup3", "acute", "micro",
    "para", "middot", "cedil", "sup1", "ordm", "raquo", "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc", "Atilde", "Auml", "Aring", "AElig", "Ccedil", "Egrave", "Eacute",
    "Ecirc", "Euml", "Igrave", "Iacute", "Icirc", "Iuml", "ETH", "Ntilde", "Ograve", "Oacute",
    "Ocirc", "Otilde", "Ouml", "times", "Oslash", "Ugrave", "Uacute", "Ucirc", "Uuml", "Yacute",
    "THORN", "szlig", "agrave", "aacute", "acirc", "atilde", "auml", "aring", "aelig", "ccedil",
    "egrave", "eacute", "ecirc", "euml", "igrave", "iacute", "icirc", "iuml", "eth", "ntilde",
    "ograve", "oacute", "ocirc", "otilde", "ouml", "divide", "oslash", "ugrave", "uacute", "ucirc",
    "uuml", "yacute", "thorn", "yuml",
};
static_assert(sizeof kLatin1 / sizeof kLatin1[0] == 0x100 - 0xA0);

// The Greek letters run from U+0391 and U+03B1 in order, with a gap
// where final sigma stands among the capitals.
constexpr std::string_view kGreek[] = {
    "Alpha", "Beta", "Gamma", "Delta", "Epsilon", "Zeta", "Eta", "Theta", "Iota", "Kappa",
    "Lambda", "Mu", "Nu", "Xi", "Omicron", "Pi", "Rho", "", "Sigma", "Tau", "Upsilon", "Phi",
    "Chi", "Psi", "Omega",
};
constexpr std::string_view kGreekSmall[] = {
    "alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta", "theta", "iota", "kappa",
    "lambda", "mu", "nu", "xi", "omicron", "pi", "rho", "sigmaf", "sigma", "tau", "upsilon", "phi",
    "chi", "psi", "omega",
};

struct Entity {
    std::string_view name;
    uint32_t code;
};

// The rest of the special and symbol sets, and the apostrophe of XML.
constexpr Entity kOthers[] = {
    {"quot", 34}, {"amp", 38}, {"apos", 39}, {"lt", 60}, {"gt", 62}, {"OElig", 338},
    {"oelig", 339}, {"Scaron", 352}, {"scaron", 353}, {"Yuml", 376}, {"fnof", 402},
    {"circ", 710}, {"tilde", 732}, {"thetasym", 977}, {"upsih", 978}, {"piv", 982},
    {"ensp", 8194}, {"emsp", 8195}, {"thinsp", 8201}, {"zwnj", 8204}, {"zwj", 8205},
    {"lrm", 8206}, {"rlm", 8207}, {"ndash", 8211}, {"mdash", 8212}, {"lsquo", 8216},
    {"rsquo", 8217}, {"sbquo", 8218}, {"ldquo", 8220}, {"rdquo", 8221}, {"bdquo", 8222},
    {"dagger", 8224}, {"Dagger", 8225}, {"bull", 8226}, {"hellip", 8230}, {"permil", 8240},
    {"prime", 8242}, {"Prime", 8243}, {"lsaquo", 8249}, {"rsaquo", 8250}, {"oline", 8254},
    {"frasl", 8260}, {"euro", 8364}, {"image", 8465}, {"weierp", 8472}, {"real", 8476},
    {"trade", 8482}, {"alefsym", 8501}, {"larr", 8592}, {"uarr", 8593}, {"rarr", 8594},
    {"darr", 8595}, {"harr", 8596}, {"crarr", 8629}, {"lArr", 8656}, {"uArr", 8657},
    {"rArr", 8658}, {"dArr", 8659}, {"hArr", 8660}, {"forall", 8704}, {"part", 8706},
    {"exist", 8707}, {"empty", 8709}, {"nabla", 8711}, {"isin", 8712}, {"notin", 8713},
    {"ni", 8715}, {"prod", 8719}, {"sum", 8721}, {"minus", 8722}, {"lowast", 8727},
    {"radic", 8730}, {"prop", 8733}, {"infin", 8734}, {"ang", 8736}, {"and", 8743},
    {"or", 8744}, {"cap", 8745}, {"cup", 8746}, {"int", 8747}, {"there4", 8756}, {"sim", 8764},
    {"cong", 8773}, {"asymp", 8776}, {"ne", 8800}, {"equiv", 8801}, {"le", 8804}, {"ge", 8805},
    {"sub", 8834}, {"sup", 8835}, {"nsub", 8836}, {"sube", 8838}, {"supe", 8839},
    {"oplus", 8853}, {"otimes", 8855}, {"perp", 8869}, {"sdot", 8901}, {"lceil", 8968},
    {"rceil", 8969}, {"lfloor", 8970}, {"rfloor", 8971}, {"lang", 9001}, {"rang", 9002},
    {"loz", 9674}, {"spades", 9824}, {"clubs", 9827}, {"hearts", 9829}, {"diams", 9830},
};

// The longest entity name, and the most digits a numeric reference may have.
constexpr size_t kMaxNameLength = 8;
constexpr size_t kMaxDigits = 8;

template <size_t N>
uint32_t FindIn(const std::string_view (&names)[N], std::string_view name, uint32_t first) {
    for (size_t i = 0; i < N; ++i)
        if (names[i] == name)
            return first + static_cast<uint32_t>(i);
    return 0;
}

int DigitValue(char c, int base) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

uint32_t HtmlEntityCode(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameLength)
        return 0;
    if (uint32_t code = FindIn(kLatin1, name, 0xA0))
        return code;
    if (uint32_t code = FindIn(kGreek, name, 0x391))
        return code;
    if (uint32_t code = FindIn(kGreekSmall, name, 0x3B1))
        return code;
    for (const Entity& e : kOthers)
        if (e.name == name)
            return e.code;
    return 0;
}

HtmlReference ReadHtmlReference(std::string_view text) {
    HtmlReference ref;
    if (text.size() < 3 || text[0] != '&')
        return ref;
    size_t semi = text.find(';', 1);
    if (semi == std::string_view::npos || semi > kMaxDigits + 3)
        return ref;
    std::string_view body = text.substr(1, semi - 1);
    if (body.empty() || body[0] != '#') {
        ref.code = HtmlEntityCode(body);
        ref.length = ref.code != 0 ? semi + 1 : 0;
        return ref;
    }
    int base = body.size() > 1 && (body[1] == 'x' || body[1] == 'X') ? 16 : 10;
    std::string_view digits = body.substr(base == 16 ? 2 : 1);
    if (digits.empty() || digits.size() > kMaxDigits)
        return ref;
    uint32_t value = 0;
    for (char c : digits) {
        int d = DigitValue(c, base);
        if (d < 0)
            return ref;
        value = value * base + d;
    }
    ref.length = semi + 1;
    bool character = value != 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
    ref.code = character ? value : 0;
    return ref;
}

std::string Utf8Of(uint32_t code) {
    std::string out;
    AppendUtf8(out, code);
    return out;
}

std::string DecodeHtmlReferences(std::string_view text,
                                 const std::function<std::string(uint32_t)>& encode,
                                 std::initializer_list<std::string_view> keep) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, amp - i));
        HtmlReference ref = ReadHtmlReference(text.substr(amp));
        bool kept = false;
        for (std::string_view name : keep)
            kept = kept || (ref.length == name.size() + 2 && text.compare(amp + 1, name.size(), name) == 0);
        if (ref.length == 0 || kept) {
            out += '&';
            i = amp + 1;
            continue;
        }
        out += ref.code != 0 ? encode(ref.code) : std::string("?");
        i = amp + ref.length;
    }
    return out;
}
