// The files of the name tests (tests/data/names/tree.txt): paths in several
// scripts in nested folders, and their texts; and the files found under a
// folder in the same form, to compare the two.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

// Path ("/" between folders, UTF-8) to contents.
using FileTree = std::map<std::string, std::string>;

inline FileTree NameTree(const std::string& listFile) {
    FileTree tree;
    std::ifstream in(std::filesystem::u8path(listFile), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        size_t tab = line.find('\t');
        if (tab != std::string::npos)
            tree[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return tree;
}

// Every file under 'root', by its path relative to it.
inline FileTree FilesUnder(const std::filesystem::path& root) {
    FileTree tree;
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(root, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (!it->is_regular_file())
            continue;
        std::u8string name = it->path().lexically_relative(root).generic_u8string();
        std::ifstream in(it->path(), std::ios::binary);
        tree[std::string(name.begin(), name.end())] =
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return tree;
}
