#include "platform/font_config_preload.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

FontConfigPreload::FontConfigPreload() {
    try {
        // The library keeps what the first complete reading produced, whichever thread made it.
        reader_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: the toolkit reads the configuration itself when it first needs it.
    }
}

FontConfigPreload::~FontConfigPreload() {
    if (reader_.joinable()) reader_.join();
}
