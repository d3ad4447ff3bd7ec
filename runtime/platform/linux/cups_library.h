#pragma once
// libcups, loaded when the first page is printed instead of at process start: it brings
// some forty libraries with it (TLS, Kerberos, D-Bus and more), whose loading and
// relocation would delay every start by tens of milliseconds, printing or not.
#include <cups/cups.h>
#include <cups/raster.h>

struct cups_library {
    decltype(&cupsGetNamedDest) get_named_dest;
    decltype(&cupsCopyDestInfo) copy_dest_info;
    decltype(&cupsFreeDestInfo) free_dest_info;
    decltype(&cupsFreeDests) free_dests;
    decltype(&cupsFindDestDefault) find_dest_default;
    decltype(&cupsGetDestMediaDefault) get_dest_media_default;
    decltype(&cupsGetDestMediaByName) get_dest_media_by_name;
    decltype(&ippGetString) ipp_get_string;
    decltype(&ippGetInteger) ipp_get_integer;
    decltype(&ippGetCollection) ipp_get_collection;
    decltype(&ippFindAttribute) ipp_find_attribute;
    decltype(&ippGetResolution) ipp_get_resolution;
    decltype(&pwgMediaForPWG) pwg_media_for_pwg;
    decltype(&pwgMediaForSize) pwg_media_for_size;
    decltype(&cupsCreateDestJob) create_dest_job;
    decltype(&cupsCancelDestJob) cancel_dest_job;
    decltype(&cupsStartDestDocument) start_dest_document;
    decltype(&cupsFinishDestDocument) finish_dest_document;
    decltype(&cupsWriteRequestData) write_request_data;
    decltype(&cupsRasterOpenIO) raster_open_io;
    decltype(&cupsRasterClose) raster_close;
    decltype(&cupsRasterInitPWGHeader) raster_init_pwg_header;
    decltype(&cupsRasterWriteHeader2) raster_write_header2;
    decltype(&cupsRasterWritePixels) raster_write_pixels;
};

// The library's functions, loaded on the first call; null when libcups cannot be loaded
// (then nothing can be printed, as without a printer).
const cups_library* cups_functions();
