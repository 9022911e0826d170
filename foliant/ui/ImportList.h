// The import list's operations, on a plain copy of the list box: items in
// order with their selection marks. The window copies its list box into
// an ImportList, applies an operation and shows the result.
#pragma once

#include <string>
#include <vector>

struct ImportItem {
    std::string path;
    bool selected = false;
};

// List box indexes are 16-bit.
constexpr size_t kMaxImportItems = 32767;

class ImportList {
public:
    std::vector<ImportItem> items;

    // True when some item equals 'path' exactly (letter case counts).
    bool IsFileInList(const std::string& path) const;
    // Appends 'path' unless it is listed already or the list is full.
    bool Append(const std::string& path);
    bool AnySelected() const;
    void RemoveSelected();
    // Each selected item moves one place, passing an unselected neighbour;
    // a selected block touching the end it moves toward stays put.
    void MoveSelectedUp();
    void MoveSelectedDown();
};
