// What a window shows, read back as pixels, and written as PNG for people to look at.
#pragma once

#include <windows.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, rows top to bottom

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Image& other) const {
        return width == other.width && height == other.height && pixels == other.pixels;
    }
    bool operator!=(const Image& other) const { return !(*this == other); }
};

// How a test failure names an image.
inline void PrintTo(const Image& image, std::ostream* os) {
    *os << "image " << image.width << "x" << image.height;
}

constexpr uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>((r << 16) | (g << 8) | b);
}

// The rectangle (client coordinates) of what the window has drawn, children included.
Image CaptureWindow(HWND window, const RECT& area);
// The rectangle of the window as it is now; it is repainted first.
Image CaptureClient(HWND window);
// A bitmap resource of the test program, pixel for pixel.
Image LoadBitmapImage(int resourceId);

// The part of an image inside the rectangle.
Image Crop(const Image& image, const RECT& area);

// Number of pixels of exactly this colour.
int CountColour(const Image& image, uint32_t colour);

// Writes <folder of the test program>\screenshots\<name>.png; answers the path, empty
// on failure.
std::string SaveScreenshot(const Image& image, const char* name);
