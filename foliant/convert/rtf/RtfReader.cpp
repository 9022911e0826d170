// Placeholder until the RTF reader lands.
#include "convert/rtf/RtfReader.h"

bool RtfToPlainText(System&, std::string_view, std::string& text) {
    text.clear();
    return false;
}
