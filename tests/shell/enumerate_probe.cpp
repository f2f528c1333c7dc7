// Lists a folder through the namespace and says what came back, for tests that run it under a
// fault injector (a read error must fail the listing, never shorten it).

#include "directory_folder.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const auto ids = shell::DirectoryFolder(argv[1]).enumerate(shell::Folders | shell::NonFolders);
    if (!ids) {
        std::puts("failed");
        return 0;
    }
    std::printf("listed %lld\n", static_cast<long long>(ids->size()));
    return 0;
}
