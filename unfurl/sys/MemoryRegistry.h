// A registry held in memory: values by root, key path and value name, with
// key paths compared without case as Windows does.
#pragma once

#include <cctype>
#include <map>
#include <string>
#include <tuple>

#include "sys/SfxSystem.h"

class MemoryRegistry {
public:
    void Set(RegistryRoot root, const std::string& key, const std::string& value,
             const std::string& data) {
        values_[Key(root, key, value)] = data;
    }
    bool Query(RegistryRoot root, const std::string& key, const std::string& value,
               std::string& data) const {
        auto found = values_.find(Key(root, key, value));
        if (found == values_.end())
            return false;
        data = found->second;
        return true;
    }

private:
    using Id = std::tuple<int, std::string, std::string>;
    static std::string Lower(std::string text) {
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    }
    static Id Key(RegistryRoot root, const std::string& key, const std::string& value) {
        return {static_cast<int>(root), Lower(key), Lower(value)};
    }
    std::map<Id, std::string> values_;
};
