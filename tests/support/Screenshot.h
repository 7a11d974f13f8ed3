// What a window shows, read back as pixels, and written as PNG for people to look at.
#pragma once

#include "engine/Handles.h"

#include <cstdint>
#include <string>
#include <vector>

struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, rows top to bottom

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Image& o) const {
        return width == o.width && height == o.height && pixels == o.pixels;
    }
    bool operator!=(const Image& other) const { return !(*this == other); }
};

// A rectangle of the window's client area as drawn, children included; of the screen,
// every process's windows, for a null window.
inline Image CaptureWindow(HWND window, const RECT& area) {
    Image image;
    image.width = area.right - area.left;
    image.height = area.bottom - area.top;
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    const BITMAPINFO info = {
        {sizeof(BITMAPINFOHEADER), image.width, -image.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    const HDC source = GetDC(window);
    void* bits = nullptr;
    GdiObject dib(CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDc memory(CreateCompatibleDC(source));
    SelectedObject selected(memory.Get(), dib.Get());
    BitBlt(memory.Get(), 0, 0, image.width, image.height, source, area.left, area.top, SRCCOPY);
    GdiFlush();
    for (size_t i = 0; bits && i < image.pixels.size(); ++i)
        image.pixels[i] = static_cast<const uint32_t*>(bits)[i] & 0x00FFFFFF;
    ReleaseDC(window, source);
    return image;
}

// Writes <test program's folder>\screenshots\<name>.png; answers its path, empty on failure.
inline std::string SaveScreenshot(const Image& image, const char* name) {
    auto put32 = [](std::string& out, uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>(v >> shift);
    };
    std::string png = "\x89PNG\r\n\x1A\n", header, zlib = "\x78\x01";
    auto chunk = [&](const char* tag, const std::string& data) {
        put32(png, static_cast<uint32_t>(data.size()));
        const size_t start = png.size();
        png += tag + data;
        uint32_t crc = ~0u;
        for (size_t i = start; i < png.size(); ++i)
            for (int k = 0, byte = static_cast<uint8_t>(png[i]); k < 8; ++k, byte >>= 1)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - ((crc ^ byte) & 1)));
        put32(png, ~crc);
    };
    // 8-bit RGB rows, unfiltered, each in a stored deflate block: no library needed.
    uint32_t a = 1, b = 0;
    for (int y = 0; y < image.height; ++y) {
        std::string row(1, '\0');
        for (int x = 0; x < image.width; ++x)
            for (int shift : {16, 8, 0})
                row += static_cast<char>(image.At(x, y) >> shift);
        const uint16_t n = static_cast<uint16_t>(row.size());
        zlib += {static_cast<char>(y + 1 == image.height), static_cast<char>(n),
                 static_cast<char>(n >> 8), static_cast<char>(~n), static_cast<char>(~n >> 8)};
        zlib += row;
        for (const char c : row)
            a = (a + static_cast<uint8_t>(c)) % 65521, b = (b + a) % 65521;
    }
    put32(zlib, b << 16 | a);
    put32(header, static_cast<uint32_t>(image.width));
    put32(header, static_cast<uint32_t>(image.height));
    chunk("IHDR", header + std::string("\x08\x02\0\0\0", 5));
    chunk("IDAT", zlib);
    chunk("IEND", "");
    char path[MAX_PATH] = {};
    std::string file(path, GetModuleFileNameA(nullptr, path, sizeof path));
    file.replace(file.find_last_of('\\') + 1, std::string::npos, "screenshots");
    CreateDirectoryA(file.c_str(), nullptr);
    file = file + "\\" + name + ".png";
    FileHandle out(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    const bool ok =
        out && WriteFile(out.Get(), png.data(), static_cast<DWORD>(png.size()), &written, nullptr);
    return ok && written == png.size() ? file : std::string();
}
