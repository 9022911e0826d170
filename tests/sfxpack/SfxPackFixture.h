// sfxpack run as a program on real files in a temporary folder: a minimal
// PE32 stub, the command line and its outputs, and Info-ZIP as a control.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "support/PeImage.h"
#include "support/TempFolder.h"
#include "support/ZipBuilder.h"

inline constexpr uint32_t kStubSize = 0x400;

struct Result {
    int exitCode;
    std::string out, err;
};

inline std::string ReadNative(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A PE32 image with one section that ends where the file ends.
inline std::string Stub() { return PeImage({{kStubSize - 0x200, 0x200}}, kStubSize); }

class SfxPackProgram : public testing::Test {
protected:
    TempFolder temp;

    std::string Native(const std::string& name = "") const {
        std::string p = temp.Path().substr(2);
        for (char& c : p)
            if (c == '\\')
                c = '/';
        return name.empty() ? p : p + "/" + name;
    }
    void SetUp() override { temp.Write("stub.exe", Stub()); }

    Result Run(const std::string& args) const {
        std::string out = Native("out.txt"), err = Native("err.txt");
        std::string command = "cd " + Native() + " && " + SFXPACK_EXE + " " + args + " >" + out +
                              " 2>" + err;
        int status = std::system(command.c_str());
        return {WEXITSTATUS(status), ReadNative(out), ReadNative(err)};
    }
    Result Pack(const std::string& args) const {
        return Run("pack -o sfx.exe --stub stub.exe " + args);
    }
    void MakePayload() const {
        temp.Write("payload/setup.exe", std::string(5000, 'M') + "end");
        temp.Write("payload/docs/readme.txt", "read me\r\nplease\r\n");
    }
    std::string Unzip(const std::string& args) const {
        return [&] {
            std::string out = Native("unzipped");
            std::system(("unzip -p " + args + " > " + out + " 2>/dev/null").c_str());
            return ReadNative(out);
        }();
    }
};
