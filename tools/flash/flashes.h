// Flashes in a run of frames as the photosensitivity guidelines count them
// (WCAG 2.3.1): per pixel, changes of relative luminance of at least 0.1
// whose darker side is below 0.8, each turning back from the last; a flash is
// a pair of them. A red flash is such a pair to or from a saturated red. A
// second's flashes count when the pixels that flashed that often cover a
// quarter of some field of view: 474 x 267 px of the 800 x 800 play area, a
// 10 degree field as a player sees the play area full screen on a 16:9 display.
#pragma once

#include <cstdint>
#include <vector>

namespace kelp_flash {

struct Field {
    int width = 474, height = 267;
    double share = 0.25;  // of the field, flashing together, for the flashes to count
};

// The worst second seen so far, of general or of red flashes.
struct Worst {
    int flashes = 0;       // the most in one second that enough pixels share to count
    int frame = -1;        // the last frame of that second
    double areaShare = 0;  // of the whole frame, the pixels that flashed that often then
};

class FlashAnalyser {
public:
    static constexpr int FramesPerSecond = 30;
    static constexpr int MostFlashesPerSecond = 3;
    FlashAnalyser(int width, int height, Field field = {});

    // The next frame: rows of R, G, B, A bytes, top down, `pitch` bytes apart.
    void add(const uint8_t* rgba, int pitch);
    const Worst& worstGeneral() const { return general; }
    const Worst& worstRed() const { return red; }
    // How near the limit came: the largest share of a field that pixels
    // flashing more than the limit covered in any second (under
    // Field::share passes).
    double overLimitShare() const { return overLimit; }
    // Per pixel, the general flashes in the second that ended with the last frame.
    int flashesAt(int x, int y) const;
    int frames() const { return frameCount; }

private:
    struct Pixel {
        float extreme = -1;   // the luminance the last turn was from; negative before the first frame
        int8_t direction = 0;  // of the last transition: +1 brighter, -1 darker, 0 none yet
        bool extremeRed = false;
        uint32_t general = 0, red = 0;  // one bit a frame, newest lowest: a transition then
    };
    void step(Pixel& pixel, float luminance, bool red);
    // The most flashes in the second just ended that enough pixels share,
    // counted from `history` (general or red); and the share of the frame
    // flashing that often.
    void measure(uint32_t Pixel::*history, Worst& worst);
    double densestField(int atLeast, uint32_t Pixel::*history);

    int width, height;
    Field field;
    std::vector<Pixel> pixels;
    std::vector<int> covered;  // a summed-area table, reused frame to frame
    int frameCount = 0;
    Worst general, red;
    double overLimit = 0;
};

}  // namespace kelp_flash
