// vireta-export: the command-line front end over the editor's core.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::puts("usage: vireta-export --help");
        return 0;
    }
    std::fputs("usage: vireta-export --help\n", stderr);
    return 2;
}
