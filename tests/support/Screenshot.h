// What a window shows, read back as pixels, and written as a bitmap for people to look at.
#pragma once

#include "engine/Handles.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, rows top to bottom
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
    const WindowDc windowDc(window);
    const HDC source = windowDc.Get();
    void* bits = nullptr;
    BitmapHandle dib(CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDc memory(CreateCompatibleDC(source));
    SelectedObject selected(memory.Get(), dib.Get());
    BitBlt(memory.Get(), 0, 0, image.width, image.height, source, area.left, area.top, SRCCOPY);
    GdiFlush();
    for (size_t i = 0; bits && i < image.pixels.size(); ++i)
        image.pixels[i] = static_cast<const uint32_t*>(bits)[i] & 0x00FFFFFF;
    return image;
}

// The test program's folder, ending in a backslash.
inline std::string TestsFolder() {
    char path[MAX_PATH] = {};
    const std::string module(path, GetModuleFileNameA(nullptr, path, sizeof path));
    return module.substr(0, module.find_last_of('\\') + 1);
}

// Writes <test program's folder>\screenshots\<name>.bmp; answers its path, empty on failure.
inline std::string SaveScreenshot(const Image& image, const char* name) {
    CreateDirectoryA((TestsFolder() + "screenshots").c_str(), nullptr);
    const std::string file = TestsFolder() + "screenshots\\" + name + ".bmp";
    // The pixels as they are: 32-bit rows, top to bottom.
    const DWORD size = static_cast<DWORD>(image.pixels.size() * sizeof image.pixels[0]);
    const BITMAPINFOHEADER info = {
        sizeof info, image.width, -image.height, 1, 32, BI_RGB, size, 0, 0, 0, 0};
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof info;
    const BITMAPFILEHEADER head = {0x4D42, headers + size, 0, 0, headers};
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&head), sizeof head)
        .write(reinterpret_cast<const char*>(&info), sizeof info)
        .write(reinterpret_cast<const char*>(image.pixels.data()), size);
    out.close();
    return out ? file : std::string();
}
