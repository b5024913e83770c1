// An 800 x 800 screen on the X server, and helpers that read its pixels back.
#pragma once

#include "open_screen.h"

#include <gtest/gtest.h>

struct Box {
    int left = 0, top = 0, right = -1, bottom = -1;  // inclusive; empty when right < left
    bool operator==(const Box&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << "(" << box.left << "," << box.top << ")-(" << box.right << "," << box.bottom << ")";
}

class Screen : public ::testing::Test {
protected:
    void SetUp() override {
        InitSystemLayer();
        screen = OpenTestScreen(800, 800, 60);
        ASSERT_NE(screen, nullptr) << "no OpenGL screen (" << SDL_GetError() << "): is an X server running?";
        SetBlendMode(BLEND_SOLID);
        ClearScreen();
    }
    void TearDown() override { CloseScreen(); }

    static uint32_t Pixel(int x, int y) { return ReadScreenPixels(x, y, 1, 1)->ReadPixelArgb(0, 0); }

    // The bounding box of every pixel that is not black.
    static Box LitBox(int x0 = 0, int y0 = 0, int width = 800, int height = 800) {
        PixmapRef pixels = ReadScreenPixels(x0, y0, width, height);
        Box box{x0 + width, y0 + height, -1, -1};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (pixels->ReadPixelArgb(x, y) & 0xFFFFFF) {
                    box.left = std::min(box.left, x + x0), box.right = std::max(box.right, x + x0);
                    box.top = std::min(box.top, y + y0), box.bottom = std::max(box.bottom, y + y0);
                }
        return box.right < 0 ? Box{} : box;
    }

    GraphicsRef screen;
};
