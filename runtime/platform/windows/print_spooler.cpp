// The Windows spooler: the page as one GDI document on the default printer, sent a scan
// line at a time onto the printable area at the device's own resolution.
#include "runtime/platform/print_spooler.h"

#include <vector>

#include "runtime/platform/windows/windows_host.h"

#include <winspool.h>

namespace {

constexpr const wchar_t* printer_driver = L"WINSPOOL";
constexpr const wchar_t* job_title = L"Document";
constexpr WORD bits_per_pixel = 32; // 0xAARRGGBB rows are BI_RGB's byte order

std::wstring default_printer_name() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return {};
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size)) return {};
    name.resize(wcsnlen(name.c_str(), name.size()));
    return name;
}

// One top-down scan line of the printable area's width.
BITMAPINFO scan_line_format(int32_t width) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -1;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = bits_per_pixel;
    format.bmiHeader.biCompression = BI_RGB;
    return format;
}

bool send_page(HDC printer, print_row_source rows, const void* context) {
    const print_area area{GetDeviceCaps(printer, HORZRES), GetDeviceCaps(printer, VERTRES)};
    if (area.width <= 0 || area.height <= 0) return false;
    const BITMAPINFO format = scan_line_format(area.width);
    std::vector<uint32_t> row(static_cast<size_t>(area.width));
    for (int32_t y = 0; y < area.height; ++y) {
        rows(context, area, y, row.data());
        if (!SetDIBitsToDevice(printer, 0, y, static_cast<DWORD>(area.width), 1, 0, 0, 0, 1,
                               row.data(), &format, DIB_RGB_COLORS))
            return false;
    }
    return true;
}

bool print_document(HDC printer, print_row_source rows, const void* context) {
    DOCINFOW document{};
    document.cbSize = sizeof document;
    document.lpszDocName = job_title;
    if (StartDocW(printer, &document) <= 0) return false;
    bool printed = false;
    if (StartPage(printer) > 0) {
        printed = send_page(printer, rows, context);
        printed = EndPage(printer) > 0 && printed;
    }
    EndDoc(printer);
    return printed;
}

} // namespace

bool host_print_picture(print_row_source rows, const void* context) {
    const std::wstring name = default_printer_name();
    if (name.empty()) return false;
    HDC printer = CreateDCW(printer_driver, name.c_str(), nullptr, nullptr);
    if (!printer) return false;
    const bool printed = print_document(printer, rows, context);
    DeleteDC(printer);
    return printed;
}
