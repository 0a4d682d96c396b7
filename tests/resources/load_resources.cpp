// Loads the embedded resources the way the program does (LoadImageA,
// LoadAcceleratorsA, the version API) from a test executable linked with the
// same resource script, and checks what Windows hands back.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "resource.h"
#include "version.h"

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    if (!ok) {
        std::printf("FAILED: %s\n", what);
        ++failures;
    }
}

const WORD kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

void checkLanguages(HMODULE module) {
    check(FindResourceExA(module, MAKEINTRESOURCEA(2), MAKEINTRESOURCEA(IDB_TUNNEL), kGerman) !=
              nullptr,
          "bitmap 104 is German (1031)");
    check(FindResourceExA(module, MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(IDI_MAIN), kGerman) !=
              nullptr,
          "icon group 128 is German (1031)");
    check(FindResourceExA(module, MAKEINTRESOURCEA(9), MAKEINTRESOURCEA(IDR_ACCEL), kGerman) !=
              nullptr,
          "accelerator table 103 is German (1031)");
    check(FindResourceExA(module, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), kGerman) != nullptr,
          "version record 1 is German (1031)");
}

// The texture upload reads bmBits straight as 64 rows of 192 bytes, bottom
// row first: the DIB section must keep the resource's layout byte for byte.
void checkBitmap(HMODULE module) {
    HANDLE image =
        LoadImageA(module, MAKEINTRESOURCEA(IDB_TUNNEL), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    check(image != nullptr, "LoadImageA loads bitmap 104 as a DIB section");
    if (image == nullptr)
        return;

    DIBSECTION dib;
    std::memset(&dib, 0, sizeof dib);
    check(GetObjectA(image, sizeof dib, &dib) == sizeof dib, "GetObjectA describes a DIB section");
    check(dib.dsBm.bmWidth == 64 && dib.dsBm.bmHeight == 64, "bitmap is 64 x 64");
    check(dib.dsBm.bmBitsPixel == 24 && dib.dsBm.bmPlanes == 1, "bitmap is 24 bpp, 1 plane");
    check(dib.dsBm.bmWidthBytes == 192, "rows are 192 bytes");
    check(dib.dsBmih.biHeight == 64, "DIB stays bottom-up");
    check(dib.dsBm.bmBits != nullptr, "DIB section has pixels");

    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(IDB_TUNNEL), MAKEINTRESOURCEA(2));
    const auto* raw =
        info ? static_cast<const unsigned char*>(LockResource(LoadResource(module, info)))
             : nullptr;
    check(raw != nullptr && SizeofResource(module, info) == 40 + 12288,
          "bitmap resource is a 40-byte header and 12288 pixel bytes");
    if (raw != nullptr && dib.dsBm.bmBits != nullptr) {
        check(std::memcmp(dib.dsBm.bmBits, raw + 40, 12288) == 0,
              "DIB pixels equal the resource's");
        // Bottom-left texel (t = 0, s = 0) is grout: dark, stored blue first.
        const auto* px = static_cast<const unsigned char*>(dib.dsBm.bmBits);
        check(px[0] < px[1] && px[1] < px[2] && px[2] < 130,
              "first texel is dark brown grout in BGR order");
    }
    DeleteObject(image);
}

void checkIcon(HMODULE module, int size) {
    HANDLE icon = LoadImageA(module, MAKEINTRESOURCEA(IDI_MAIN), IMAGE_ICON, size, size, 0);
    char what[64];
    std::snprintf(what, sizeof what, "LoadImageA loads icon 128 at %d x %d", size, size);
    check(icon != nullptr, what);
    if (icon == nullptr)
        return;
    ICONINFO parts;
    std::memset(&parts, 0, sizeof parts);
    check(GetIconInfo(static_cast<HICON>(icon), &parts) != 0, "GetIconInfo succeeds");
    check(parts.fIcon == TRUE, "resource is an icon, not a cursor");
    BITMAP colour;
    std::memset(&colour, 0, sizeof colour);
    check(parts.hbmColor != nullptr && GetObjectA(parts.hbmColor, sizeof colour, &colour) != 0,
          "icon has a colour bitmap");
    check(colour.bmWidth == size && colour.bmHeight == size,
          "icon is delivered at the requested size");
    if (parts.hbmColor)
        DeleteObject(parts.hbmColor);
    if (parts.hbmMask)
        DeleteObject(parts.hbmMask);
    DestroyIcon(static_cast<HICON>(icon));
}

void checkAccelerators(HMODULE module) {
    HACCEL table = LoadAcceleratorsA(module, MAKEINTRESOURCEA(IDR_ACCEL));
    check(table != nullptr, "LoadAcceleratorsA loads table 103");
    if (table == nullptr)
        return;
    ACCEL entries[4];
    std::memset(entries, 0, sizeof entries);
    int count = CopyAcceleratorTableA(table, entries, 4);
    check(count == 1, "accelerator table has exactly one entry");
    check(entries[0].key == VK_F11, "the entry's key is F11");
    check(entries[0].cmd == ID_FULLSCREEN, "F11 sends the fullscreen command");
    check((entries[0].fVirt & (FVIRTKEY | FNOINVERT | FSHIFT | FCONTROL | FALT)) ==
              (FVIRTKEY | FNOINVERT),
          "F11 is a plain virtual key without inverting the menu");
    DestroyAcceleratorTable(table);
}

void checkVersion() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    check(length > 0 && length < MAX_PATH, "module file name");
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    check(size > 0, "version record present");
    if (size == 0)
        return;
    static char block[8192];
    check(size <= sizeof block && GetFileVersionInfoA(path, 0, sizeof block, block) != 0,
          "GetFileVersionInfoA reads the record");

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    check(VerQueryValueA(block, "\\", reinterpret_cast<void**>(&fixed), &fixedSize) != 0 &&
              fixed != nullptr,
          "fixed file info present");
    if (fixed != nullptr) {
        check(fixed->dwSignature == 0xFEEF04BD, "fixed file info signature");
        const DWORD v[] = {RINGVOYAGE_VERSION_NUMBERS};
        const DWORD ms = v[0] << 16 | v[1], ls = v[2] << 16 | v[3];
        check(fixed->dwFileVersionMS == ms && fixed->dwFileVersionLS == ls, "file version");
        check(fixed->dwProductVersionMS == ms && fixed->dwProductVersionLS == ls,
              "product version");
    }

    WORD* translation = nullptr;
    UINT translationSize = 0;
    check(VerQueryValueA(block, "\\VarFileInfo\\Translation",
                         reinterpret_cast<void**>(&translation), &translationSize) != 0 &&
              translationSize == 4 && translation[0] == 0x0407 && translation[1] == 1200,
          "translation is German, Unicode");

    const char* expected[][2] = {
        {"ProductName", "Ringvoyage"},
        {"FileDescription", "Ringvoyage"},
        {"FileVersion", RINGVOYAGE_VERSION},
        {"ProductVersion", RINGVOYAGE_VERSION},
    };
    for (const auto& field : expected) {
        char query[96];
        std::snprintf(query, sizeof query, "\\StringFileInfo\\040704B0\\%s", field[0]);
        char* value = nullptr;
        UINT valueSize = 0;
        bool found =
            VerQueryValueA(block, query, reinterpret_cast<void**>(&value), &valueSize) != 0 &&
            value;
        char what[128];
        std::snprintf(what, sizeof what, "%s is \"%s\"", field[0], field[1]);
        check(found && std::strcmp(value, field[1]) == 0, what);
    }
}

}  // namespace

int main() {
    HMODULE module = GetModuleHandleA(nullptr);
    checkLanguages(module);
    checkBitmap(module);
    checkIcon(module, 32);
    checkIcon(module, 16);
    checkIcon(module, GetSystemMetrics(SM_CXICON));
    checkAccelerators(module);
    checkVersion();
    if (failures == 0)
        std::printf("all resource checks passed\n");
    return failures == 0 ? 0 : 1;
}
