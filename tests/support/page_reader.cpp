#include "tests/support/page_reader.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "runtime/screen/fonts.h"
#include "tests/support/glyph_decoder.h"

namespace {

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool write_file(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

std::string data_folder() {
    const char* folder = std::getenv("MIRVA_TEST_DATA");
    return folder ? folder : "tests/data";
}

uint32_t pixel_colour(const rt_image& page, int x, int y) {
    const size_t at = static_cast<size_t>(y) * page.width + x;
    if (page.bytes_per_pixel == 4) return reinterpret_cast<const uint32_t*>(page.pixels)[at];
    const uint8_t index = page.pixels[at];
    if (page.mode != 10) return page.palette[index];
    // Mode 10 pixels name an attribute held in palette entries 4-7.
    const uint32_t attribute = page.palette[4 + (index & 3)];
    return image_state.mono_attribute_colours[attribute <= 8 ? attribute : 0][0];
}

} // namespace

text_page_rows read_text_page(const rt_image& page) {
    text_page_rows rows;
    for (int row = 0; row < page.height; ++row) {
        std::string text, attributes;
        for (int col = 0; col < page.width; ++col) {
            const uint8_t* cell = page.pixels + (static_cast<size_t>(row) * page.width + col) * 2;
            text += static_cast<char>(cell[0]);
            attributes += static_cast<char>(cell[1]);
        }
        rows.text.push_back(text);
        rows.attributes.push_back(attributes);
    }
    return rows;
}

std::vector<std::string> page_text(const rt_image& page) {
    if (page.text_page) return read_text_page(page).text;
    const rgba_image picture = page_picture(page);
    const uint32_t background =
        (page.bytes_per_pixel == 4 ? page.bg_colour
                                   : page.palette[page.bg_colour & page.colour_mask]) &
        0xFFFFFF;
    return decode_text_screen(picture.bytes.data(), picture.width, picture.height, 4, background,
                              font_height(page.font));
}

std::string text_row(const rt_image& page, int row) {
    std::string text = page_text(page).at(static_cast<size_t>(row - 1));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::vector<std::string> text_rows(const rt_image& page) {
    std::vector<std::string> rows = page_text(page);
    for (std::string& row : rows) row.erase(row.find_last_not_of(' ') + 1);
    while (!rows.empty() && rows.back().empty()) rows.pop_back();
    return rows;
}

uint8_t attribute_at(const rt_image& page, int row, int column) {
    return page.pixels[(static_cast<size_t>(row - 1) * page.width + (column - 1)) * 2 + 1];
}

rgba_image page_picture(const rt_image& page) {
    rgba_image picture;
    picture.width = page.width;
    picture.height = page.height;
    picture.bytes.reserve(static_cast<size_t>(page.width) * page.height * 4);
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            const uint32_t c = pixel_colour(page, x, y);
            picture.bytes.insert(picture.bytes.end(),
                                 {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                  static_cast<uint8_t>(c), 255});
        }
    }
    return picture;
}

std::string page_as_pnm(const rt_image& page) {
    std::ostringstream out;
    const size_t count = static_cast<size_t>(page.width) * page.height;
    if (page.bytes_per_pixel == 4) {
        out << "P6\n" << page.width << ' ' << page.height << "\n255\n";
        const rgba_image picture = page_picture(page);
        for (size_t i = 0; i < count; ++i)
            out.write(reinterpret_cast<const char*>(&picture.bytes[i * 4]), 3);
    } else {
        out << "P5\n" << page.width << ' ' << page.height << '\n' << page.colour_mask << '\n';
        out.write(reinterpret_cast<const char*>(page.pixels), static_cast<std::streamsize>(count));
    }
    return out.str();
}

grey_map read_expected_grey_map(const std::string& name) {
    std::istringstream file(read_file(data_folder() + "/" + name));
    std::string magic;
    grey_map map;
    int max_value = 0;
    file >> magic >> map.width >> map.height >> max_value;
    file.get(); // the single white space before the pixels
    const size_t count = static_cast<size_t>(map.width) * map.height;
    if (magic != "P5" || max_value <= 0 || max_value > 255 || count == 0) return {};
    map.values.resize(count);
    file.read(reinterpret_cast<char*>(map.values.data()), static_cast<std::streamsize>(count));
    if (static_cast<size_t>(file.gcount()) != count) return {};
    return map;
}

::testing::AssertionResult page_matches_expected(const rt_image& page, const std::string& name) {
    const std::string actual = page_as_pnm(page);
    const std::string expected_path = data_folder() + "/" + name;
    const char* update = std::getenv("MIRVA_UPDATE_EXPECTED");
    if (update && std::string(update) == "1") {
        write_file(expected_path, actual);
        write_file("actual/" + name, actual);
        write_png(page_picture(page), "actual/" + name + ".png");
        return ::testing::AssertionSuccess() << "wrote " << expected_path;
    }
    const std::string expected = read_file(expected_path);
    if (expected == actual) return ::testing::AssertionSuccess();
    const std::string actual_path = "actual/" + name;
    write_file(actual_path, actual);
    write_png(page_picture(page), actual_path + ".png");
    return ::testing::AssertionFailure()
           << (expected.empty() ? "missing " : "page differs from ") << expected_path
           << "; actual page written to " << std::filesystem::absolute(actual_path).string();
}
