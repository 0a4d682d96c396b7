// The program's embedded resources as Windows hands them back: loaded the way
// the program loads them (LoadImageA, LoadAcceleratorsA, the version API).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "resource.h"
#include "version.h"

namespace {

TEST(Resources, AreGerman) {
    const WORD german = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
    const struct {
        int type, id;
    } resources[] = {{2, IDB_TUNNEL}, {14, IDI_MAIN}, {9, IDR_ACCEL}, {16, 1}};
    for (const auto& r : resources) {
        EXPECT_NE(
            FindResourceExA(nullptr, MAKEINTRESOURCEA(r.type), MAKEINTRESOURCEA(r.id), german),
            nullptr)
            << "type " << r.type << ", id " << r.id;
    }
}

// The texture upload reads bmBits straight as 64 rows of 192 bytes, bottom
// row first: the DIB section must keep the resource's layout byte for byte.
TEST(Resources, TileBitmapKeepsItsLayoutAsADibSection) {
    HMODULE module = GetModuleHandleA(nullptr);
    HANDLE image =
        LoadImageA(module, MAKEINTRESOURCEA(IDB_TUNNEL), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    ASSERT_NE(image, nullptr);
    DIBSECTION dib = {};
    ASSERT_EQ(GetObjectA(image, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth * 1000 + dib.dsBm.bmHeight, 64064) << "64 x 64";
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
    EXPECT_EQ(dib.dsBm.bmPlanes, 1);
    EXPECT_EQ(dib.dsBm.bmWidthBytes, 192);
    EXPECT_EQ(dib.dsBmih.biHeight, 64) << "bottom-up";
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(IDB_TUNNEL), MAKEINTRESOURCEA(2));
    ASSERT_NE(info, nullptr);
    const auto* raw = static_cast<const unsigned char*>(LockResource(LoadResource(module, info)));
    EXPECT_EQ(SizeofResource(module, info), 40u + 12288u) << "a 40-byte header and the pixels";
    ASSERT_NE(dib.dsBm.bmBits, nullptr);
    EXPECT_EQ(std::memcmp(dib.dsBm.bmBits, raw + 40, 12288), 0);
    // Bottom-left texel (t = 0, s = 0) is grout: dark brown, stored blue first.
    const auto* px = static_cast<const unsigned char*>(dib.dsBm.bmBits);
    EXPECT_TRUE(px[0] < px[1] && px[1] < px[2] && px[2] < 130);
    DeleteObject(image);
}

TEST(Resources, F11IsTheOnlyAcceleratorAndTogglesFullscreen) {
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCEL));
    ASSERT_NE(table, nullptr);
    ACCEL entries[4] = {};
    EXPECT_EQ(CopyAcceleratorTableA(table, entries, 4), 1);
    EXPECT_EQ(entries[0].key, VK_F11);
    EXPECT_EQ(entries[0].cmd, ID_FULLSCREEN);
    EXPECT_EQ(entries[0].fVirt & (FVIRTKEY | FNOINVERT | FSHIFT | FCONTROL | FALT),
              FVIRTKEY | FNOINVERT)
        << "a plain virtual key that does not invert the menu";
    DestroyAcceleratorTable(table);
}

TEST(Resources, VersionRecordIsTheProgramsInGermanUnicode) {
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    static char block[8192];
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_TRUE(size > 0 && size <= sizeof block);
    ASSERT_NE(GetFileVersionInfoA(path, 0, sizeof block, block), 0);

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_NE(VerQueryValueA(block, "\\", reinterpret_cast<void**>(&fixed), &length), 0);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD v[] = {RINGVOYAGE_VERSION_NUMBERS};
    EXPECT_EQ(fixed->dwFileVersionMS, v[0] << 16 | v[1]);
    EXPECT_EQ(fixed->dwFileVersionLS, v[2] << 16 | v[3]);
    EXPECT_EQ(fixed->dwProductVersionMS, v[0] << 16 | v[1]);
    EXPECT_EQ(fixed->dwProductVersionLS, v[2] << 16 | v[3]);

    WORD* translation = nullptr;
    ASSERT_NE(VerQueryValueA(block, "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length),
              0);
    EXPECT_TRUE(length == 4 && translation[0] == 0x0407 && translation[1] == 1200);
    const char* expected[][2] = {{"ProductName", "Ringvoyage"},
                                 {"FileDescription", "Ringvoyage"},
                                 {"FileVersion", RINGVOYAGE_VERSION},
                                 {"ProductVersion", RINGVOYAGE_VERSION}};
    for (const auto& [name, value] : expected) {
        const std::string query = std::string("\\StringFileInfo\\040704B0\\") + name;
        char* found = nullptr;
        ASSERT_NE(VerQueryValueA(block, query.c_str(), reinterpret_cast<void**>(&found), &length),
                  0)
            << name;
        EXPECT_STREQ(found, value) << name;
    }
}

}  // namespace
