// Test helper: writes its arguments 2.. to the file named by argument 1, each
// followed by a zero byte, then renames it into place so readers see it whole.
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const std::string final = argv[1];
    const std::string temp = final + ".part";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return 1;
    for (int i = 2; i < argc; ++i) {
        std::fputs(argv[i], f);
        std::fputc('\0', f);
    }
    std::fclose(f);
    return std::rename(temp.c_str(), final.c_str()) == 0 ? 0 : 1;
}
