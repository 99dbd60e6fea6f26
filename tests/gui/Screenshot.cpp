#include "Screenshot.h"

// GDI+ needs what WIN32_LEAN_AND_MEAN leaves out of <windows.h>.
#include <objidl.h>

#include <gdiplus.h>

#include <filesystem>
#include <stdexcept>

namespace
{

// The system's PNG encoder.
const CLSID kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

void StartGdiplus()
{
    static const bool started = []
    {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }();
    if (!started)
        throw std::runtime_error("GDI+ did not start");
}

} // namespace

void SaveScreenshot(HWND window, const std::string& name)
{
    StartGdiplus();
    // Wine in a display without a window manager can leave the first window of a process active but with
    // the caption of an inactive one; draw the caption as the window's state is.
    if (GetActiveWindow() == window)
        SendMessageA(window, WM_NCACTIVATE, TRUE, 0);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT frame;
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;

    HDC source = GetWindowDC(window);
    HDC copy = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ previous = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(copy, previous);
    DeleteDC(copy);
    ReleaseDC(window, source);

    const std::filesystem::path folder(KX_SCREENSHOT_DIR);
    std::filesystem::create_directories(folder);
    Gdiplus::GpBitmap* image = nullptr;
    Gdiplus::Status status = Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image);
    if (status == Gdiplus::Ok)
    {
        status = Gdiplus::DllExports::GdipSaveImageToFile(image, (folder / (name + ".png")).wstring().c_str(),
                                                          &kPngEncoder, nullptr);
        Gdiplus::DllExports::GdipDisposeImage(image);
    }
    DeleteObject(bitmap);
    if (status != Gdiplus::Ok)
        throw std::runtime_error("could not write the screenshot " + name);
}
