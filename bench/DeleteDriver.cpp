// ft_delete: the remover's deletion from the command line, for the benchmark.
//   ft_delete --trash|--permanent PATH...
// Exit code 0 when the shell request succeeded, 1 when it failed, 2 on misuse.

#include <cstdio>
#include <cstring>

#include "core/TStringList.h"
#include "core/Utf.h"
#include "fileutil/Tfileutility.h"

int main(int argc, char** argv)
{
    if (argc < 3 || (std::strcmp(argv[1], "--trash") != 0 && std::strcmp(argv[1], "--permanent") != 0)) {
        std::fputs("usage: ft_delete --trash|--permanent PATH...\n", stderr);
        return 2;
    }
    const bool recycle = std::strcmp(argv[1], "--trash") == 0;
    TStringList paths;
    for (int i = 2; i < argc; ++i) {
        paths.Add(PathBytesToText(argv[i]));
    }
    return ShellDeletePaths(paths, recycle) ? 0 : 1;
}
