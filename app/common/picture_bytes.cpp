#include "picture_bytes.h"

#include <cstdio>

namespace {

// The whole file, or a problem; reading stops past the largest size taken.
PictureProblem readFile(const char* path, std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return PictureProblem::Unreadable;
    }
    constexpr size_t kChunk = size_t{1} << 20;
    bool failed = false;
    while (!failed && static_cast<int64_t>(bytes.size()) <= kMaxPictureFileBytes) {
        const size_t had = bytes.size();
        bytes.resize(had + kChunk);
        const size_t got = std::fread(bytes.data() + had, 1, kChunk, file);
        bytes.resize(had + got);
        failed = std::ferror(file) != 0;
        if (got < kChunk) {
            break;
        }
    }
    std::fclose(file);
    return failed ? PictureProblem::Unreadable : PictureProblem::None;
}

}  // namespace

PictureProblem readPictureFile(const char* path, std::vector<uint8_t>& bytes) {
    PictureProblem problem = readFile(path, bytes);
    PictureHeader header = {};
    if (problem == PictureProblem::None) {
        problem = checkPictureHeader(bytes.data(), bytes.size(), static_cast<int64_t>(bytes.size()),
                                     header);
    }
    return problem;
}
