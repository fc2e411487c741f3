// A stand-in for the query runner in the launcher's tests: writes its arguments and the
// password variable to the file named by QRUN_ECHO_OUT, each value followed by a NUL byte,
// the password as "unset" when the variable is missing.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    const char* out = std::getenv("QRUN_ECHO_OUT");
    if (!out) return 2;
    std::FILE* tmp = std::fopen((std::string(out) + ".part").c_str(), "wb");
    if (!tmp) return 3;
    for (int i = 1; i < argc; ++i) std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, tmp);
    const char* password = std::getenv("VLM_QRUN_PASSWORD");
    const char* shown = password ? password : "unset";
    std::fwrite(shown, 1, std::strlen(shown) + 1, tmp);
    std::fclose(tmp);
    return std::rename((std::string(out) + ".part").c_str(), out) == 0 ? 0 : 4;
}
