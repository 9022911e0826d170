// ImportList: adding without duplicates, removing and moving selections.
#include "ui/ImportList.h"

#include <algorithm>
#include <utility>

bool ImportList::IsFileInList(const std::string& path) const {
    return std::any_of(items.begin(), items.end(),
                       [&](const ImportItem& item) { return item.path == path; });
}

bool ImportList::Append(const std::string& path) {
    if (items.size() >= kMaxImportItems || IsFileInList(path))
        return false;
    items.push_back({path, false});
    return true;
}

bool ImportList::AnySelected() const {
    return std::any_of(items.begin(), items.end(),
                       [](const ImportItem& item) { return item.selected; });
}

void ImportList::RemoveSelected() {
    std::erase_if(items, [](const ImportItem& item) { return item.selected; });
}

void ImportList::MoveSelectedUp() {
    for (size_t i = 1; i < items.size(); ++i)
        if (items[i].selected && !items[i - 1].selected)
            std::swap(items[i], items[i - 1]);
}

void ImportList::MoveSelectedDown() {
    for (size_t i = items.size(); i-- > 1;) {
        size_t at = i - 1;
        if (items[at].selected && !items[at + 1].selected)
            std::swap(items[at], items[at + 1]);
    }
}
