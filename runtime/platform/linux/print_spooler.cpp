// CUPS as the desktop's print spooler. The page goes out as PWG raster written with
// libcups's own raster writer: every driverless printer takes it, classic queues convert
// it, and it carries the page size and resolution, so the picture lands on device pixels
// 1:1 without another imaging library.
#include "runtime/platform/print_spooler.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "runtime/platform/linux/cups_library.h"

namespace {

constexpr const char* job_title = "Document";
constexpr const char* raster_format = "image/pwg-raster";
constexpr const char* raster_type = "srgb_8"; // 8 bits each of red, green and blue
constexpr int bytes_per_device_pixel = 3;
constexpr uint8_t white = 0xFF;
// Without media and resolution defaults: A4 at 300 dpi with margins of a sixth of an inch.
constexpr const char* fallback_media = "iso_a4_210x297mm";
constexpr int fallback_dpi = 300;
constexpr int fallback_margin = 423; // hundredths of a millimetre
constexpr double hundredths_mm_per_inch = 2540.0;
constexpr double centimetres_per_inch = 2.54;

// Loaded before any of the functions below runs (print_through_cups checks).
const cups_library& cups() {
    return *cups_functions();
}

// Where the picture lies on the sheet, in device pixels.
struct sheet_layout {
    cups_size_t media;
    int x_dpi, y_dpi;
    int left, top;   // margins
    print_area area; // the printable area
};

int to_pixels(int hundredths_mm, int dpi) {
    return static_cast<int>(std::lround(double(hundredths_mm) * dpi / hundredths_mm_per_inch));
}

void default_resolution(cups_dest_t* dest, cups_dinfo_t* info, sheet_layout& layout) {
    layout.x_dpi = layout.y_dpi = fallback_dpi;
    ipp_attribute_t* resolution =
        cups().find_dest_default(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution");
    if (!resolution) return;
    ipp_res_t units;
    int y_dpi = 0;
    int x_dpi = cups().ipp_get_resolution(resolution, 0, &y_dpi, &units);
    if (units == IPP_RES_PER_CM) {
        x_dpi = static_cast<int>(std::lround(x_dpi * centimetres_per_inch));
        y_dpi = static_cast<int>(std::lround(y_dpi * centimetres_per_inch));
    }
    if (x_dpi > 0 && y_dpi > 0) {
        layout.x_dpi = x_dpi;
        layout.y_dpi = y_dpi;
    }
}

// The integer member of a collection attribute's first value; 0 when it has none.
int collection_integer(ipp_t* collection, const char* name) {
    ipp_attribute_t* member = cups().ipp_find_attribute(collection, name, IPP_TAG_INTEGER);
    return member ? cups().ipp_get_integer(member, 0) : 0;
}

// The paper the destination has by default, named by its "media" default or, for a
// destination that states only a size, by the media-size of its "media-col" default.
const char* default_media_name(cups_dest_t* dest, cups_dinfo_t* info) {
    if (ipp_attribute_t* media = cups().find_dest_default(CUPS_HTTP_DEFAULT, dest, info, "media"))
        if (const char* name = cups().ipp_get_string(media, 0, nullptr)) return name;
    ipp_attribute_t* media_col =
        cups().find_dest_default(CUPS_HTTP_DEFAULT, dest, info, "media-col");
    ipp_t* collection = media_col ? cups().ipp_get_collection(media_col, 0) : nullptr;
    ipp_attribute_t* size =
        collection ? cups().ipp_find_attribute(collection, "media-size", IPP_TAG_BEGIN_COLLECTION)
                   : nullptr;
    ipp_t* dimensions = size ? cups().ipp_get_collection(size, 0) : nullptr;
    if (!dimensions) return nullptr;
    const pwg_media_t* paper =
        cups().pwg_media_for_size(collection_integer(dimensions, "x-dimension"),
                                  collection_integer(dimensions, "y-dimension"));
    return paper ? paper->pwg : nullptr;
}

bool is_paper(const cups_size_t& media) {
    return media.width > 0 && media.length > 0;
}

void default_media(cups_dest_t* dest, cups_dinfo_t* info, sheet_layout& layout) {
    // cupsGetDestMediaDefault prefers US Letter whenever the destination lists it, whatever
    // the paper the queue has by default.
    const char* name = default_media_name(dest, info);
    if (name &&
        cups().get_dest_media_by_name(CUPS_HTTP_DEFAULT, dest, info, name, 0, &layout.media) &&
        is_paper(layout.media))
        return;
    if (cups().get_dest_media_default(CUPS_HTTP_DEFAULT, dest, info, 0, &layout.media) &&
        is_paper(layout.media))
        return;
    const pwg_media_t* a4 = cups().pwg_media_for_pwg(fallback_media);
    layout.media = cups_size_t{};
    layout.media.width = a4->width;
    layout.media.length = a4->length;
    layout.media.left = layout.media.right = fallback_margin;
    layout.media.top = layout.media.bottom = fallback_margin;
}

sheet_layout layout_for(cups_dest_t* dest, cups_dinfo_t* info) {
    sheet_layout layout{};
    default_resolution(dest, info, layout);
    default_media(dest, info, layout);
    const cups_size_t& m = layout.media;
    layout.left = to_pixels(m.left, layout.x_dpi);
    layout.top = to_pixels(m.top, layout.y_dpi);
    layout.area.width = std::max(1, to_pixels(m.width - m.left - m.right, layout.x_dpi));
    layout.area.height = std::max(1, to_pixels(m.length - m.top - m.bottom, layout.y_dpi));
    return layout;
}

ssize_t write_to_job(void* http, unsigned char* buffer, size_t length) {
    const http_status_t status = cups().write_request_data(
        static_cast<http_t*>(http), reinterpret_cast<const char*>(buffer), length);
    return status == HTTP_STATUS_CONTINUE ? static_cast<ssize_t>(length) : -1;
}

// One sheet: white margins around the picture, one scan line at a time.
bool write_sheet(cups_raster_t* raster, const sheet_layout& layout, print_row_source rows,
                 const void* context) {
    pwg_media_t* media = cups().pwg_media_for_size(layout.media.width, layout.media.length);
    cups_page_header2_t header;
    if (!media ||
        !cups().raster_init_pwg_header(&header, media, raster_type, layout.x_dpi, layout.y_dpi,
                                       "one-sided", nullptr) ||
        !cups().raster_write_header2(raster, &header))
        return false;
    const int sheet_width = static_cast<int>(header.cupsWidth);
    const int sheet_height = static_cast<int>(header.cupsHeight);
    const int left = std::min(layout.left, sheet_width);
    const int width = std::min(layout.area.width, sheet_width - left);
    std::vector<unsigned char> line(header.cupsBytesPerLine);
    std::vector<uint32_t> picture_row(static_cast<size_t>(layout.area.width));
    for (int y = 0; y < sheet_height; ++y) {
        std::fill(line.begin(), line.end(), white);
        const int picture_y = y - layout.top;
        if (picture_y >= 0 && picture_y < layout.area.height) {
            rows(context, layout.area, picture_y, picture_row.data());
            for (int x = 0; x < width; ++x) {
                unsigned char* pixel = &line[size_t(left + x) * bytes_per_device_pixel];
                const uint32_t colour = picture_row[size_t(x)];
                pixel[0] = static_cast<unsigned char>(colour >> 16);
                pixel[1] = static_cast<unsigned char>(colour >> 8);
                pixel[2] = static_cast<unsigned char>(colour);
            }
        }
        if (!cups().raster_write_pixels(raster, line.data(), header.cupsBytesPerLine)) return false;
    }
    return true;
}

bool send_document(cups_dest_t* dest, cups_dinfo_t* info, int job_id, print_row_source rows,
                   const void* context) {
    const sheet_layout layout = layout_for(dest, info);
    if (cups().start_dest_document(CUPS_HTTP_DEFAULT, dest, info, job_id, job_title, raster_format,
                                   0, nullptr, 1) != HTTP_STATUS_CONTINUE)
        return false;
    cups_raster_t* raster =
        cups().raster_open_io(write_to_job, CUPS_HTTP_DEFAULT, CUPS_RASTER_WRITE_PWG);
    const bool written = raster && write_sheet(raster, layout, rows, context);
    if (raster) cups().raster_close(raster);
    const ipp_status_t finished = cups().finish_dest_document(CUPS_HTTP_DEFAULT, dest, info);
    return written && finished <= IPP_STATUS_OK_CONFLICTING;
}

} // namespace

bool host_print_picture(print_row_source rows, const void* context) {
    if (!cups_functions()) return false;
    cups_dest_t* dest = cups().get_named_dest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest) return false;
    cups_dinfo_t* info = cups().copy_dest_info(CUPS_HTTP_DEFAULT, dest);
    int job_id = 0;
    bool printed = false;
    if (info && cups().create_dest_job(CUPS_HTTP_DEFAULT, dest, info, &job_id, job_title, 0,
                                       nullptr) <= IPP_STATUS_OK_CONFLICTING) {
        printed = send_document(dest, info, job_id, rows, context);
        if (!printed) cups().cancel_dest_job(CUPS_HTTP_DEFAULT, dest, job_id);
    }
    if (info) cups().free_dest_info(info);
    cups().free_dests(1, dest);
    return printed;
}
