// A host that keeps the file list in memory, for programs and tests that
// run the core without a dialog.
#pragma once

#include <string>
#include <vector>

#include "SfxHost.h"

class ListKeepingHost : public SfxHost {
public:
    struct Item {
        std::string name;
        size_t index;
        uint32_t size;
        bool selected;
    };
    std::vector<Item> items;

    void AddListItem(const std::string& name, size_t index, uint32_t size,
                     bool selected) override {
        items.push_back({name, index, size, selected});
    }
    size_t ListItemCount() override { return items.size(); }
    bool IsItemSelected(size_t item) override { return items.at(item).selected; }
    void SetItemSelected(size_t item, bool selected) override { items.at(item).selected = selected; }
    size_t ItemEntryIndex(size_t item) override { return items.at(item).index; }
    std::string ItemText(size_t item) override { return items.at(item).name; }
};
