#include "support/Screenshot.h"

#include "engine/Handles.h"

#include <cstdio>
#include <cstring>

namespace {

Image FromDc(HDC source, int x, int y, int width, int height) {
    Image image;
    if (width <= 0 || height <= 0)
        return image;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject dib(CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib)
        return image;
    MemoryDc memory(CreateCompatibleDC(source));
    {
        SelectedObject selected(memory.Get(), dib.Get());
        BitBlt(memory.Get(), 0, 0, width, height, source, x, y, SRCCOPY);
        GdiFlush();
    }
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = p[i] & 0x00FFFFFF;
    return image;
}

// A PNG with stored (uncompressed) deflate blocks: nothing beyond the C++ library.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* tag, const std::vector<uint8_t>& data) {
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(tag, tag + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBigEndian(out, Crc32(body.data(), body.size()));
}

std::vector<uint8_t> EncodePng(const Image& image) {
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(image.height) * (1 + 3 * image.width));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0); // no filter
        for (int x = 0; x < image.width; ++x) {
            const uint32_t c = image.At(x, y);
            raw.push_back(static_cast<uint8_t>(c >> 16));
            raw.push_back(static_cast<uint8_t>(c >> 8));
            raw.push_back(static_cast<uint8_t>(c));
        }
    }
    std::vector<uint8_t> zlib = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    size_t pos = 0;
    do {
        const size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        zlib.push_back(pos + n == raw.size() ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(n));
        zlib.push_back(static_cast<uint8_t>(n >> 8));
        zlib.push_back(static_cast<uint8_t>(~n));
        zlib.push_back(static_cast<uint8_t>(~n >> 8));
        zlib.insert(zlib.end(), raw.begin() + pos, raw.begin() + pos + n);
        pos += n;
    } while (pos < raw.size());
    PutBigEndian(zlib, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(image.width));
    PutBigEndian(header, static_cast<uint32_t>(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});
    return png;
}

} // namespace

Image CaptureWindow(HWND window, const RECT& area) {
    HDC dc = GetDC(window);
    Image image = FromDc(dc, area.left, area.top, area.right - area.left, area.bottom - area.top);
    ReleaseDC(window, dc);
    return image;
}

Image CaptureClient(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT area;
    GetClientRect(window, &area);
    return CaptureWindow(window, area);
}

Image LoadBitmapImage(int resourceId) {
    GdiObject bitmap(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId)));
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap.Get(), sizeof info, &info))
        return Image();
    HDC screen = GetDC(nullptr);
    MemoryDc memory(CreateCompatibleDC(screen));
    ReleaseDC(nullptr, screen);
    SelectedObject selected(memory.Get(), bitmap.Get());
    return FromDc(memory.Get(), 0, 0, info.bmWidth, info.bmHeight);
}

int CountColour(const Image& image, uint32_t colour) {
    int n = 0;
    for (uint32_t p : image.pixels)
        n += p == colour;
    return n;
}

std::string SaveScreenshot(const Image& image, const char* name) {
    char path[MAX_PATH] = {};
    if (!GetModuleFileNameA(nullptr, path, sizeof path))
        return std::string();
    std::string folder(path);
    folder.erase(folder.find_last_of('\\') + 1);
    folder += "screenshots";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string file = folder + "\\" + name + ".png";
    const std::vector<uint8_t> png = EncodePng(image);
    FileHandle out(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!out ||
        !WriteFile(out.Get(), png.data(), static_cast<DWORD>(png.size()), &written, nullptr) ||
        written != png.size())
        return std::string();
    return file;
}

Image Crop(const Image& image, const RECT& area) {
    Image part;
    part.width = area.right - area.left;
    part.height = area.bottom - area.top;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            part.pixels.push_back(image.At(x, y));
    return part;
}
