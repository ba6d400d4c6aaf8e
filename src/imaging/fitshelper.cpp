// vevurid-fits: what CFITSIO may crash on with a damaged file (moving to a
// later header, decompressing tiles), done in a process of its own, so that
// such a file ends only this one. Started fresh, not forked, it shares no
// lock with the program's other threads.

#include "fitspixels.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

bool parsed(const char *text, long long &value)
{
    char *end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 10);
    return end != text && *end == '\0' && errno == 0;
}

int run(int argc, char **argv)
{
    long long hdu = 0;
    long long count = 0;
    if (argc < 2 || !parsed(argv[1], hdu) || hdu < 1 || hdu > INT_MAX)
        return 2;
    if (argc > 2 && (!parsed(argv[2], count) || count < 1))
        return 2;
    std::vector<LONGLONG> first;
    for (int k = 3; k < argc; ++k) {
        long long coordinate = 0;
        if (!parsed(argv[k], coordinate))
            return 2;
        first.push_back(coordinate);
    }
    if (count > 0 && first.empty())
        return 2;

    const std::string name = "/proc/self/fd/" + std::to_string(Imaging::FileDescriptor);
    fitsfile *file = nullptr;
    int status = 0;
    if (fits_open_diskfile(&file, name.c_str(), READONLY, &status) != 0)
        return count > 0 ? 1 : 0;
    const bool moved = fits_movabs_hdu(file, int(hdu), nullptr, &status) == 0;
    if (count == 0)
        return 0;
    if (!moved)
        return 1;
    const size_t bytes = size_t(count) * sizeof(float);
    if (ftruncate(Imaging::PixelsDescriptor, off_t(bytes)) != 0)
        return 1;
    void *pixels = mmap(nullptr, bytes, PROT_WRITE, MAP_SHARED, Imaging::PixelsDescriptor, 0);
    if (pixels == MAP_FAILED)
        return 1;
    return Imaging::readPixels(file, first.data(), static_cast<float *>(pixels), count) == 0 ? 0 : 1;
}

} // namespace

// Ends without the exit handlers: what CFITSIO still holds goes with the
// process, where a sanitized build's leak check would count it a failure.
int main(int argc, char **argv)
{
    _exit(run(argc, argv));
}
