// Placeholder until the .doc reader lands.
#include "convert/doc/DocReader.h"

bool DocToPlainText(System&, std::string_view, std::string& text) {
    text.clear();
    return false;
}
