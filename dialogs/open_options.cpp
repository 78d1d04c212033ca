#include "dialogs/open_options.h"

#include "platform/file_chooser.h"

namespace {

struct OptionInfo {
    std::string_view name;
    uint32_t flag;
};

constexpr OptionInfo kOptions[OpenOptionCount] = {
    {"ofReadOnly", ChooserReadOnly},
    {"ofOverwritePrompt", ChooserOverwritePrompt},
    {"ofHideReadOnly", ChooserHideReadOnly},
    {"ofNoChangeDir", ChooserNoChangeDir},
    {"ofShowHelp", ChooserShowHelp},
    {"ofNoValidate", ChooserNoValidate},
    {"ofAllowMultiSelect", ChooserAllowMultiSelect},
    {"ofExtensionDifferent", ChooserExtensionDifferent},
    {"ofPathMustExist", ChooserPathMustExist},
    {"ofFileMustExist", ChooserFileMustExist},
    {"ofCreatePrompt", ChooserCreatePrompt},
    {"ofShareAware", ChooserShareAware},
    {"ofNoReadOnlyReturn", ChooserNoReadOnlyReturn},
    {"ofNoTestFileCreate", ChooserNoTestFileCreate},
    {"ofNoNetworkButton", ChooserNoNetworkButton},
    {"ofNoLongNames", ChooserNoLongNames},
    {"ofOldStyleDialog", ChooserNewStyle},
    {"ofNoDereferenceLinks", ChooserNoDereferenceLinks},
    {"ofEnableIncludeNotify", ChooserEnableIncludeNotify},
    {"ofEnableSizing", ChooserEnableSizing},
    {"ofDontAddToRecent", ChooserDontAddToRecent},
    {"ofForceShowHidden", ChooserForceShowHidden},
};

constexpr OptionInfo kOptionsEx[OpenOptionExCount] = {{"ofExNoPlacesBar", ChooserExNoPlacesBar}};

}  // namespace

uint32_t ChooserFlagOf(TOpenOption option) { return kOptions[option].flag; }

uint32_t ChooserFlagsOf(TOpenOptions options, bool newStyleShell) {
    uint32_t flags = ChooserEnableHook;
    for (int i = 0; i < OpenOptionCount; ++i)
        if (options.Has(TOpenOption(i))) flags |= kOptions[i].flag;
    return newStyleShell ? flags ^ ChooserNewStyle : flags & ~ChooserNewStyle;
}

uint32_t ChooserFlagsExOf(TOpenOptionsEx options) {
    uint32_t flags = 0;
    for (int i = 0; i < OpenOptionExCount; ++i)
        if (options.Has(TOpenOptionEx(i))) flags |= kOptionsEx[i].flag;
    return flags;
}

bool OpenOptionOfName(std::string_view name, TOpenOption& option) {
    for (int i = 0; i < OpenOptionCount; ++i)
        if (kOptions[i].name == name) {
            option = TOpenOption(i);
            return true;
        }
    return false;
}

bool OpenOptionExOfName(std::string_view name, TOpenOptionEx& option) {
    for (int i = 0; i < OpenOptionExCount; ++i)
        if (kOptionsEx[i].name == name) {
            option = TOpenOptionEx(i);
            return true;
        }
    return false;
}
