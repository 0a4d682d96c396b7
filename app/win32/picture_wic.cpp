#include "picture_wic.h"

#include <windows.h>
// After windows.h, which it needs.
#include <wincodec.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "picture_bytes.h"

namespace {

// Releases a COM interface when it goes out of scope.
template <typename Interface>
struct Held {
    Interface* pointer = nullptr;
    ~Held() {
        if (pointer != nullptr) {
            pointer->Release();
        }
    }
    Interface* operator->() const { return pointer; }
};

// COM for this thread while a picture is decoded.
struct ComUser {
    bool started = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ~ComUser() {
        if (started) {
            CoUninitialize();
        }
    }
};

// The decoded picture as straight 32-bit BGRA rows, fed to the scaler a
// strip at a time.
PictureProblem scaleDecoded(std::vector<uint8_t>& bytes, PictureTile& tile) {
    Held<IWICImagingFactory> factory;
    Held<IWICStream> stream;
    Held<IWICBitmapDecoder> decoder;
    Held<IWICBitmapFrameDecode> frame;
    Held<IWICFormatConverter> converter;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory.pointer))) ||
        FAILED(factory->CreateStream(&stream.pointer)) ||
        FAILED(stream->InitializeFromMemory(bytes.data(), static_cast<DWORD>(bytes.size()))) ||
        FAILED(factory->CreateDecoderFromStream(
            stream.pointer, nullptr, WICDecodeMetadataCacheOnDemand, &decoder.pointer)) ||
        FAILED(decoder->GetFrame(0, &frame.pointer)) ||
        FAILED(factory->CreateFormatConverter(&converter.pointer)) ||
        FAILED(converter->Initialize(frame.pointer, GUID_WICPixelFormat32bppBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return PictureProblem::Damaged;
    }
    UINT width = 0;
    UINT height = 0;
    const auto scaler = std::make_unique<TileScaler>();
    if (FAILED(converter->GetSize(&width, &height))) {
        return PictureProblem::Damaged;
    }
    if (!startTileScaler(*scaler, static_cast<int32_t>(width), static_cast<int32_t>(height),
                         PixelOrder::Bgra)) {
        return PictureProblem::TooLarge;
    }
    const UINT stride = 4 * width;
    const UINT strip = width >= (1u << 16) ? 1 : (1u << 16) / width;  // rows per copy
    std::vector<uint8_t> rows(static_cast<size_t>(stride) * strip);
    for (UINT y = 0; y < height; y += strip) {
        const UINT count = height - y < strip ? height - y : strip;
        const WICRect area = {0, static_cast<INT>(y), static_cast<INT>(width),
                              static_cast<INT>(count)};
        if (FAILED(converter->CopyPixels(&area, stride, stride * count, rows.data()))) {
            return PictureProblem::Damaged;
        }
        for (UINT row = 0; row < count; ++row) {
            feedTileRow(*scaler, rows.data() + static_cast<size_t>(stride) * row);
        }
    }
    return finishTileScaler(*scaler, tile) ? PictureProblem::None : PictureProblem::Damaged;
}

}  // namespace

PictureProblem loadPictureFile(const char* path, PictureTile& tile) {
    std::vector<uint8_t> bytes;
    const PictureProblem problem = readPictureFile(path, bytes);
    if (problem != PictureProblem::None) {
        return problem;
    }
    const ComUser com;
    return scaleDecoded(bytes, tile);
}

TileImage pictureTile(const char* program, const char* path, PictureTile& storage) {
    if (path == nullptr) {
        return {};
    }
    const PictureProblem problem = loadPictureFile(path, storage);
    if (problem == PictureProblem::None) {
        return pictureTileImage(storage);
    }
    std::fprintf(stderr, "%s: picture '%s' %s; showing the built-in tile\n", program, path,
                 pictureProblemText(problem));
    std::fflush(stderr);
    return {};
}
