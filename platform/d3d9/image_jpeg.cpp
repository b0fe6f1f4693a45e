// JPEG through libjpeg(-turbo), decoded straight to blue, green, red, alpha bytes.
//
// libjpeg reports errors by longjmp, so the function that calls it keeps no C++ objects of its
// own. A file cut short is refused rather than shown half grey.
#include "platform/d3d9/image_decode.h"

#include <cstdio>
#include <csetjmp>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
#include <jerror.h>

namespace platform::d3dx {

namespace {

// Progressive files may hold any number of scans; past this they are taken as hostile.
constexpr int kMaxScans = 1000;

struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool truncated = false;
    char message[JMSG_LENGTH_MAX] = {};
};

JpegErrorManager& Manager(j_common_ptr info)
{
    return *reinterpret_cast<JpegErrorManager*>(info->err);
}

[[noreturn]] void OnJpegError(j_common_ptr info)
{
    JpegErrorManager& manager = Manager(info);
    (*info->err->format_message)(info, manager.message);
    std::longjmp(manager.jump, 1);
}

void OnJpegMessage(j_common_ptr info, int level)
{
    if (level == -1 && info->err->msg_code == JWRN_JPEG_EOF) Manager(info).truncated = true;
}

void OnJpegProgress(j_common_ptr info)
{
    if (!info->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
        JpegErrorManager& manager = Manager(info);
        std::snprintf(manager.message, sizeof manager.message, "more than %d scans", kMaxScans);
        std::longjmp(manager.jump, 1);
    }
}

bool RunJpegRead(jpeg_decompress_struct& decoder, JpegErrorManager& errors, jpeg_progress_mgr& progress,
                 ByteView file, ImageHeader& header, std::vector<std::uint32_t>* pixels)
{
    if (setjmp(errors.jump)) return false;
    jpeg_create_decompress(&decoder);
    decoder.progress = &progress;
    jpeg_mem_src(&decoder, file.data, static_cast<unsigned long>(file.size));
    jpeg_read_header(&decoder, TRUE);

    header.width = decoder.image_width;
    header.height = decoder.image_height;
    header.mipLevels = 1;
    header.fileFormat = D3DXIFF_JPG;
    header.hasAlpha = false;
    header.format = decoder.num_components == 1 ? D3DFMT_L8 : D3DFMT_X8R8G8B8;
    if (!IsAcceptableSize(header.width, header.height)) return false;
    if (!pixels) return true;
    if (decoder.jpeg_color_space == JCS_CMYK || decoder.jpeg_color_space == JCS_YCCK) {
        Trace("JPEG: CMYK images are not supported");
        return false;
    }

    decoder.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&decoder);
    if (decoder.output_width != header.width || decoder.output_height != header.height ||
        decoder.output_components != 4) {
        Trace("JPEG: unexpected output layout");
        return false;
    }
    if (!AllocatePixels(*pixels, header.width, header.height)) return false;
    while (decoder.output_scanline < decoder.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels->data() + std::size_t(decoder.output_scanline) * header.width);
        if (jpeg_read_scanlines(&decoder, &row, 1) != 1) {
            Trace("JPEG: decoding stalled");
            return false;
        }
        if (errors.truncated) break;
    }
    if (errors.truncated) {
        Trace("JPEG: the file ends early");
        return false;
    }
    jpeg_finish_decompress(&decoder);
    return !errors.truncated;
}

}  // namespace

bool ReadJpeg(ByteView file, ImageHeader& header, std::vector<std::uint32_t>* pixels)
{
    if (file.size < 3 || file.data[0] != 0xFF || file.data[1] != 0xD8) {
        Trace("not a JPEG file");
        return false;
    }
    jpeg_decompress_struct decoder{};
    JpegErrorManager errors;
    decoder.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnJpegError;
    errors.base.emit_message = OnJpegMessage;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = OnJpegProgress;
    const bool ok = RunJpegRead(decoder, errors, progress, file, header, pixels);
    jpeg_destroy_decompress(&decoder);
    if (!ok && errors.message[0]) Trace("JPEG: %s", errors.message);
    return ok;
}

}  // namespace platform::d3dx
