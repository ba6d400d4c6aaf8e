#pragma once
// Work over a large image's pixels, split in two halves for the two cores:
// the second half on a thread of its own, the first on the calling one.

#include <cstddef>
#include <system_error>
#include <thread>

namespace Imaging {

// Fewer pixels than this are not worth a thread.
inline constexpr std::size_t SplitFromPixels = std::size_t(1) << 18;

// Calls work(0, middle) and work(middle, count), middle from split(count),
// together when count reaches SplitFromPixels, else work(0, count) alone.
template<typename Work, typename Split>
void inHalves(std::size_t count, const Split &split, const Work &work)
{
    const std::size_t middle = count >= SplitFromPixels ? split(count) : count;
    std::thread second;
    if (middle < count) {
        try {
            second = std::thread([&] { work(middle, count); });
        } catch (const std::system_error &) {
            // No thread to be had: the first half grows to the whole.
            work(0, count);
            return;
        }
    }
    work(0, middle);
    if (second.joinable())
        second.join();
}

template<typename Work>
void inHalves(std::size_t count, const Work &work)
{
    inHalves(count, [](std::size_t n) { return n / 2; }, work);
}

} // namespace Imaging
