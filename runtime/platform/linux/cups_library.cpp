#include "runtime/platform/linux/cups_library.h"

#include <dlfcn.h>

#include <atomic>

namespace {

constexpr const char* library_name = "libcups.so.2";

std::atomic<const cups_library*> loaded{nullptr};

template <typename function> bool bind(void* library, const char* name, function& slot) {
    slot = reinterpret_cast<function>(dlsym(library, name));
    return slot != nullptr;
}

bool bind_all(void* library, cups_library& f) {
    return bind(library, "cupsGetNamedDest", f.get_named_dest) &&
           bind(library, "cupsCopyDestInfo", f.copy_dest_info) &&
           bind(library, "cupsFreeDestInfo", f.free_dest_info) &&
           bind(library, "cupsFreeDests", f.free_dests) &&
           bind(library, "cupsFindDestDefault", f.find_dest_default) &&
           bind(library, "cupsGetDestMediaDefault", f.get_dest_media_default) &&
           bind(library, "cupsGetDestMediaByName", f.get_dest_media_by_name) &&
           bind(library, "ippGetString", f.ipp_get_string) &&
           bind(library, "ippGetInteger", f.ipp_get_integer) &&
           bind(library, "ippGetCollection", f.ipp_get_collection) &&
           bind(library, "ippFindAttribute", f.ipp_find_attribute) &&
           bind(library, "ippGetResolution", f.ipp_get_resolution) &&
           bind(library, "pwgMediaForPWG", f.pwg_media_for_pwg) &&
           bind(library, "pwgMediaForSize", f.pwg_media_for_size) &&
           bind(library, "cupsCreateDestJob", f.create_dest_job) &&
           bind(library, "cupsCancelDestJob", f.cancel_dest_job) &&
           bind(library, "cupsStartDestDocument", f.start_dest_document) &&
           bind(library, "cupsFinishDestDocument", f.finish_dest_document) &&
           bind(library, "cupsWriteRequestData", f.write_request_data) &&
           bind(library, "cupsRasterOpenIO", f.raster_open_io) &&
           bind(library, "cupsRasterClose", f.raster_close) &&
           bind(library, "cupsRasterInitPWGHeader", f.raster_init_pwg_header) &&
           bind(library, "cupsRasterWriteHeader2", f.raster_write_header2) &&
           bind(library, "cupsRasterWritePixels", f.raster_write_pixels);
}

} // namespace

// Two threads printing for the first time at once may both load; the library is loaded
// once either way, and the table that comes second is dropped.
const cups_library* cups_functions() {
    if (const cups_library* functions = loaded.load(std::memory_order_acquire)) return functions;
    void* library = dlopen(library_name, RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    auto* functions = new cups_library{};
    if (!bind_all(library, *functions)) {
        delete functions;
        return nullptr;
    }
    const cups_library* none = nullptr;
    if (!loaded.compare_exchange_strong(none, functions, std::memory_order_acq_rel)) {
        delete functions;
        return none;
    }
    return functions;
}
