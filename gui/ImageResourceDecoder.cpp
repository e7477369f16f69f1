#include "gui/ImageResourceDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <png.h>

/*  A trial read before the framework's loader sees the bytes.

    Each trial repeats what the framework's loader does, step for step and
    with the same library, but with error handling that works: libpng and
    libjpeg report an error by a long jump back into the trial, which then
    answers false.  The library's work depends only on the bytes and those
    steps, so bytes the trial read without an error make the loader meet no
    error either.  The trials keep one row of pixels at a time; only the
    loader builds the image.

    The functions that call setjmp hold no object with a destructor, and
    read nothing after a jump but return false at once.
*/
namespace Korvalden::Resources
{
namespace
{
bool withinImageBounds (juce::uint64 width, juce::uint64 height)
{
    return width > 0 && height > 0 && width <= (juce::uint64) maximumImageSide
           && height <= (juce::uint64) maximumImageSide && width * height <= (juce::uint64) maximumImagePixels;
}

juce::uint32 bigEndian32 (const unsigned char* p)
{
    return ((juce::uint32) p[0] << 24) | ((juce::uint32) p[1] << 16) | ((juce::uint32) p[2] << 8) | p[3];
}

//==============================================================================
constexpr unsigned char pngSignature[8] { 137, 'P', 'N', 'G', 13, 10, 26, 10 };

struct MemoryReader
{
    const unsigned char* data;
    size_t size;
    size_t position;
};

void readPngBytes (png_structp png, png_bytep destination, size_t length)
{
    auto& reader = *static_cast<MemoryReader*> (png_get_io_ptr (png));
    if (length > reader.size - reader.position)
        png_error (png, "cut short");
    std::memcpy (destination, reader.data + reader.position, length);
    reader.position += length;
}

[[noreturn]] void failPng (png_structp png, png_const_charp)
{
    png_longjmp (png, 1);
}

void ignorePngWarning (png_structp, png_const_charp) {}

/** The framework's PNG steps: header, the transforms to 8-bit RGBA, every
    row of every pass into rows (which may all point at one row), the end. */
bool readsWholePng (png_structp png, png_infop info, MemoryReader& reader, png_uint_32 expectedWidth,
                    png_uint_32 expectedHeight, png_bytepp rows)
{
    if (setjmp (png_jmpbuf (png)) != 0)
        return false;

    png_set_read_fn (png, &reader, readPngBytes);
    png_set_user_limits (png, maximumImageSide, maximumImageSide);
    png_read_info (png, info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    png_get_IHDR (png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
    if (width != expectedWidth || height != expectedHeight)
        return false;

    if (bitDepth == 16)
        png_set_strip_16 (png);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_expand (png);
    if (bitDepth < 8)
        png_set_expand (png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb (png);
    if (png_get_valid (png, info, PNG_INFO_tRNS))
        png_set_expand (png);
    png_set_add_alpha (png, 0xff, PNG_FILLER_AFTER);

    png_read_image (png, rows);
    png_read_end (png, info);
    return true;
}

bool isWholePng (const unsigned char* data, size_t size)
{
    // The signature and a whole first chunk, which must be the 13-byte header.
    if (size < sizeof (pngSignature) + 25 || std::memcmp (data, pngSignature, sizeof (pngSignature)) != 0
        || bigEndian32 (data + 8) != 13 || std::memcmp (data + 12, "IHDR", 4) != 0)
        return false;

    const auto width = bigEndian32 (data + 16), height = bigEndian32 (data + 20);
    if (! withinImageBounds (width, height))
        return false;

    // Eight bytes a pixel hold any row, whatever the transforms make of it.
    std::vector<png_byte> row ((size_t) width * 8);
    std::vector<png_bytep> rows ((size_t) height, row.data());

    auto png = png_create_read_struct (PNG_LIBPNG_VER_STRING, nullptr, failPng, ignorePngWarning);
    if (png == nullptr)
        return false;
    auto info = png_create_info_struct (png);
    if (info == nullptr)
    {
        png_destroy_read_struct (&png, nullptr, nullptr);
        return false;
    }

    MemoryReader reader { data, size, 0 };
    const bool whole = readsWholePng (png, info, reader, width, height, rows.data());
    png_destroy_read_struct (&png, &info, nullptr);
    return whole;
}

//==============================================================================
struct JpegErrors
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void failJpeg (j_common_ptr decoder)
{
    std::longjmp (static_cast<JpegErrors*> (decoder->client_data)->jump, 1);
}

void ignoreJpegMessage (j_common_ptr, int) {}
void ignoreJpegOutput (j_common_ptr) {}
void startJpegSource (j_decompress_ptr) {}

// As the framework's source: all bytes at once, and a read past them
// suspends the decoder rather than inventing an end.
boolean refillJpegSource (j_decompress_ptr)
{
    return FALSE;
}

void skipJpegBytes (j_decompress_ptr decoder, long count)
{
    auto* source = decoder->src;
    const auto skipped = count <= 0 ? (size_t) 0 : juce::jmin ((size_t) count, source->bytes_in_buffer);
    source->next_input_byte += skipped;
    source->bytes_in_buffer -= skipped;
}

/** The framework's JPEG steps: header, output size, RGB output, every
    scanline, the end; a suspended step counts as a failure. */
bool readsWholeJpeg (jpeg_decompress_struct& decoder, JpegErrors& errors, jpeg_source_mgr& source)
{
    if (setjmp (errors.jump) != 0)
        return false;

    jpeg_create_decompress (&decoder);
    decoder.src = &source;

    if (jpeg_read_header (&decoder, TRUE) != JPEG_HEADER_OK)
        return false;

    jpeg_calc_output_dimensions (&decoder);
    if (! withinImageBounds (decoder.output_width, decoder.output_height))
        return false;

    const auto height = decoder.output_height;
    decoder.out_color_space = JCS_RGB;
    auto buffer = (*decoder.mem->alloc_sarray) ((j_common_ptr) &decoder, JPOOL_IMAGE, decoder.output_width * 3, 1);

    if (! jpeg_start_decompress (&decoder))
        return false;
    for (JDIMENSION y = 0; y < height; ++y)
        if (jpeg_read_scanlines (&decoder, buffer, 1) != 1)
            return false;
    return jpeg_finish_decompress (&decoder) == TRUE;
}

bool isWholeJpeg (const unsigned char* data, size_t size)
{
    if (size < 3 || data[0] != 0xFF || data[1] != 0xD8)
        return false;

    jpeg_decompress_struct decoder;
    std::memset (&decoder, 0, sizeof (decoder));
    JpegErrors errors;
    decoder.err = jpeg_std_error (&errors.manager);
    errors.manager.error_exit = failJpeg;
    errors.manager.emit_message = ignoreJpegMessage;
    errors.manager.output_message = ignoreJpegOutput;
    decoder.client_data = &errors;

    jpeg_source_mgr source {};
    source.init_source = startJpegSource;
    source.fill_input_buffer = refillJpegSource;
    source.skip_input_data = skipJpegBytes;
    source.resync_to_restart = jpeg_resync_to_restart;
    source.term_source = startJpegSource;
    source.next_input_byte = data;
    source.bytes_in_buffer = size;

    const bool whole = readsWholeJpeg (decoder, errors, source);
    jpeg_destroy_decompress (&decoder);
    return whole;
}
} // namespace

juce::Image decodeImageResource (const void* data, size_t size)
{
    if (data == nullptr || size == 0)
        return {};

    const auto* bytes = static_cast<const unsigned char*> (data);
    juce::MemoryInputStream stream (data, size, false);
    if (isWholePng (bytes, size))
        return juce::PNGImageFormat().decodeImage (stream);
    if (isWholeJpeg (bytes, size))
        return juce::JPEGImageFormat().decodeImage (stream);
    return {};
}
} // namespace Korvalden::Resources
