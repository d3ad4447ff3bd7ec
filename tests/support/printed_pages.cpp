#include "tests/support/printed_pages.h"

#include <cups/raster.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/child_process.h"

namespace {

constexpr int ghostscript_timeout_ms = 60000;
constexpr int pwg_grey_8bit = 18; // Ghostscript's cupsColorSpace for sGray

struct memory_reader {
    const std::string& bytes;
    size_t at = 0;
};

ssize_t read_from_memory(void* context, unsigned char* buffer, size_t length) {
    memory_reader& reader = *static_cast<memory_reader*>(context);
    const size_t n = std::min(length, reader.bytes.size() - reader.at);
    std::memcpy(buffer, reader.bytes.data() + reader.at, n);
    reader.at += n;
    return static_cast<ssize_t>(n);
}

bool read_sheet(cups_raster_t* raster, const cups_page_header2_t& header, rgba_image& sheet) {
    const int channels = static_cast<int>(header.cupsBitsPerPixel / 8);
    if (header.cupsBitsPerColor != 8 || (channels != 1 && channels != 3)) return false;
    sheet.width = static_cast<int>(header.cupsWidth);
    sheet.height = static_cast<int>(header.cupsHeight);
    sheet.bytes.assign(size_t(sheet.width) * sheet.height * 4, 0xFF);
    std::vector<unsigned char> line(header.cupsBytesPerLine);
    for (int y = 0; y < sheet.height; ++y) {
        if (cupsRasterReadPixels(raster, line.data(), header.cupsBytesPerLine) !=
            header.cupsBytesPerLine)
            return false;
        for (int x = 0; x < sheet.width; ++x) {
            uint8_t* out = &sheet.bytes[(size_t(y) * sheet.width + x) * 4];
            const unsigned char* in = &line[size_t(x) * channels];
            for (int c = 0; c < 3; ++c) out[c] = in[channels == 3 ? c : 0];
        }
    }
    return true;
}

} // namespace

std::vector<raster_page> decode_pwg_raster(const std::string& document) {
    std::vector<raster_page> pages;
    memory_reader reader{document};
    cups_raster_t* raster = cupsRasterOpenIO(read_from_memory, &reader, CUPS_RASTER_READ);
    if (!raster) return pages;
    cups_page_header2_t header;
    while (cupsRasterReadHeader2(raster, &header)) {
        raster_page page;
        page.x_dpi = static_cast<int>(header.HWResolution[0]);
        page.y_dpi = static_cast<int>(header.HWResolution[1]);
        if (!read_sheet(raster, header, page.sheet)) break;
        pages.push_back(std::move(page));
    }
    cupsRasterClose(raster);
    return pages;
}

std::vector<raster_page> rasterise_postscript(const std::string& document, int dpi) {
    char pattern[] = "/tmp/mirva-ps.XXXXXX";
    if (!mkdtemp(pattern)) return {};
    const std::string folder = pattern;
    const std::string input = folder + "/in.ps", output = folder + "/out.pwg";
    std::ofstream(input, std::ios::binary) << document;
    const command_result rendered = run_command(
        {"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pwgraster",
         "-r" + std::to_string(dpi), "-dcupsColorSpace=" + std::to_string(pwg_grey_8bit),
         "-dcupsBitsPerColor=8", "-sOutputFile=" + output, input},
        environment_with({}), ghostscript_timeout_ms);
    std::ostringstream raster;
    raster << std::ifstream(output, std::ios::binary).rdbuf();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return rendered.status == 0 ? decode_pwg_raster(raster.str()) : std::vector<raster_page>{};
}

program_print_path print_path_of_program_under_test() {
    if (program_launcher().empty()) return {};
    return {true, postscript_queue_page};
}

bool program_print_path::add_default_queue(private_cups& cups) const {
    return postscript ? cups.add_postscript_queue("psfile", true)
                      : cups.add_raster_queue("rasterfile", true);
}

std::vector<raster_page> program_print_path::pages(const std::string& document) const {
    return postscript ? rasterise_postscript(document, paper.dpi) : decode_pwg_raster(document);
}

rgba_image printer_page_on_sheet(const rgba_image& sheet, const queue_paper& paper) {
    return printer_page_in(sheet, paper.left(), paper.top(), paper.area_width(),
                           paper.area_height());
}

std::vector<std::string> printed_rows(const rgba_image& sheet, const queue_paper& paper) {
    return printer_page_text(printer_page_on_sheet(sheet, paper));
}

bool margins_are_white(const rgba_image& sheet, const queue_paper& paper) {
    const int left = paper.left(), top = paper.top();
    const int right = left + paper.area_width();
    const int bottom = top + paper.area_height();
    for (int y = 0; y < sheet.height; ++y)
        for (int x = 0; x < sheet.width; ++x)
            if ((x < left || x >= right || y < top || y >= bottom) &&
                sheet.rgb(x, y) != paper_white_rgb)
                return false;
    return true;
}
