#pragma once
// Reading an image's pixels, the same in the loader and in the helper
// program that reads what CFITSIO may crash on.

#include <fitsio.h>

#include <limits>

namespace Imaging {

// Reads `count` pixels from the one at `first` with TFLOAT, which applies
// BZERO and BSCALE and gives BLANK and NaN pixels as NaN; CFITSIO's status.
inline int readPixels(fitsfile *file, LONGLONG *first, float *pixels, LONGLONG count)
{
    int status = 0;
    float blank = std::numeric_limits<float>::quiet_NaN();
    int anyBlank = 0;
    fits_read_pixll(file, TFLOAT, first, count, &blank, pixels, &anyBlank, &status);
    return status;
}

// How the loader and the helper meet: the file is open at FileDescriptor;
// the helper's arguments are the header's number and, to read pixels too,
// their count and the first one's coordinates; it sizes the shared memory
// at PixelsDescriptor to exactly their bytes, writes them there as floats,
// and ends with 0 when all went well. Only moving to a header, it ends with 0 unless it crashed: why the
// move fails is for the loader to tell.
constexpr int FileDescriptor = 3;
constexpr int PixelsDescriptor = 4;
inline const char *const HelperName = "vevurid-fits";

} // namespace Imaging
