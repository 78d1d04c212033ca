#include "app/section_listing.h"

#include "engine/ini_listing.h"
#include "engine/ini_service.h"

std::function<void(const std::string& section)> TSectionListing::BeforeListing;

TSectionListing::TSectionListing(std::string path, TCodePage codePage, std::string section, std::uint32_t occurrence,
                                 std::function<void()> finished) {
    work_.Start(
        [this, path = std::move(path), codePage, section = std::move(section), occurrence] {
            if (BeforeListing) BeforeListing(section);
            if (cancelled_) return std::shared_ptr<const IniListing>();
            return std::make_shared<const IniListing>(
                CurrentIniService().Keys(IniFileRef{path, codePage}, SectionRef{section, occurrence}));
        },
        std::move(finished));
}
