// Writes the fuzzer's input to a private temporary file, so the readers run on real files.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

inline std::string fuzzFile(const char* ext, const std::uint8_t* data, std::size_t size, const char* tag = "") {
    std::string dir = "/tmp/vlm-fuzz-" + std::to_string(::getpid());
    static bool made = false;
    if (!made) {
        std::system(("mkdir -p " + dir).c_str());
        made = true;
    }
    std::string path = dir + "/F" + tag + "." + ext;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path;
}
