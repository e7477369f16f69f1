#include "host/WindowSnapshot.h"

#include "host/ReplacingFile.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <stdexcept>

namespace KestHost
{
namespace
{
struct DisplayCloser
{
    void operator() (Display* display) const { XCloseDisplay (display); }
};
using DisplayConnection = std::unique_ptr<Display, DisplayCloser>;

struct ImageDestroyer
{
    void operator() (XImage* image) const { XDestroyImage (image); }
};

/** The 8-bit value of a pixel's channel under mask. */
uint8_t channel (unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0)
        ++shift;
    const auto maximum = mask >> shift;
    return (uint8_t) (((pixel & mask) >> shift) * 255 / maximum);
}
extern "C" int ignoreXError (Display*, XErrorEvent*)
{
    return 0;
}
} // namespace

void WindowSnapshot::tolerateXErrors()
{
    XSetErrorHandler (ignoreXError);
}

bool WindowSnapshot::displayAvailable (std::string& problem)
{
    const char* name = std::getenv ("DISPLAY");
    const DisplayConnection display (XOpenDisplay (nullptr));
    if (display != nullptr)
        return true;
    problem = name == nullptr || *name == '\0' ? std::string ("no X display is set (DISPLAY is empty)")
                                               : "the X display \"" + std::string (name) + "\" cannot be opened";
    return false;
}

juce::Image WindowSnapshot::capture (unsigned long window)
{
    const DisplayConnection display (XOpenDisplay (nullptr));
    if (display == nullptr)
        throw std::runtime_error ("the X display cannot be opened");

    XSync (display.get(), False);
    XWindowAttributes attributes {};
    if (XGetWindowAttributes (display.get(), (Window) window, &attributes) == 0 || attributes.width <= 0 || attributes.height <= 0)
        throw std::runtime_error ("the window cannot be read");

    // Only what is on the screen can be read back, in true colour.
    int left = 0, top = 0;
    Window child {};
    XTranslateCoordinates (display.get(), (Window) window, attributes.root, 0, 0, &left, &top, &child);
    const auto* screen = attributes.screen;
    if (left < 0 || top < 0 || left + attributes.width > WidthOfScreen (screen) || top + attributes.height > HeightOfScreen (screen))
        throw std::runtime_error ("the window (" + std::to_string (attributes.width) + "x" + std::to_string (attributes.height)
                                  + ") does not fit on the screen (" + std::to_string (WidthOfScreen (screen)) + "x"
                                  + std::to_string (HeightOfScreen (screen)) + "); give the display a larger screen");
    if (attributes.depth < 24)
        throw std::runtime_error ("the screen has " + std::to_string (attributes.depth) + "-bit colour; give the display 24-bit colour");

    const std::unique_ptr<XImage, ImageDestroyer> pixels (
        XGetImage (display.get(), (Window) window, 0, 0, (unsigned) attributes.width, (unsigned) attributes.height, AllPlanes, ZPixmap));
    if (pixels == nullptr)
        throw std::runtime_error ("the window's pixels cannot be read");

    juce::Image image (juce::Image::RGB, attributes.width, attributes.height, false);
    const juce::Image::BitmapData data (image, juce::Image::BitmapData::writeOnly);
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x)
        {
            const auto pixel = XGetPixel (pixels.get(), x, y);
            data.setPixelColour (x, y, juce::Colour (channel (pixel, pixels->red_mask), channel (pixel, pixels->green_mask),
                                                     channel (pixel, pixels->blue_mask)));
        }
    return image;
}

void WindowSnapshot::writePng (const juce::Image& image, const std::string& path)
{
    juce::MemoryOutputStream png;
    juce::PNGImageFormat format;
    if (! format.writeImageToStream (image, png))
        throw std::runtime_error ("cannot encode the picture for " + path);

    ReplacingFile file (path);
    if (! file.write (png.getData(), png.getDataSize()))
        throw std::runtime_error ("cannot write " + path + ": " + file.failure());
    file.commit();
}
} // namespace KestHost
