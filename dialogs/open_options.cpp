#include "dialogs/open_options.h"

#include <iterator>

#include "platform/file_chooser.h"
#include "ui/layout_value.h"

namespace {

template <typename Option>
struct OptionInfo {
    std::string_view name;
    Option value;
    uint32_t flag;
};

constexpr OptionInfo<TOpenOption> kOptions[OpenOptionCount] = {
    {"ofReadOnly", ofReadOnly, ChooserReadOnly},
    {"ofOverwritePrompt", ofOverwritePrompt, ChooserOverwritePrompt},
    {"ofHideReadOnly", ofHideReadOnly, ChooserHideReadOnly},
    {"ofNoChangeDir", ofNoChangeDir, ChooserNoChangeDir},
    {"ofShowHelp", ofShowHelp, ChooserShowHelp},
    {"ofNoValidate", ofNoValidate, ChooserNoValidate},
    {"ofAllowMultiSelect", ofAllowMultiSelect, ChooserAllowMultiSelect},
    {"ofExtensionDifferent", ofExtensionDifferent, ChooserExtensionDifferent},
    {"ofPathMustExist", ofPathMustExist, ChooserPathMustExist},
    {"ofFileMustExist", ofFileMustExist, ChooserFileMustExist},
    {"ofCreatePrompt", ofCreatePrompt, ChooserCreatePrompt},
    {"ofShareAware", ofShareAware, ChooserShareAware},
    {"ofNoReadOnlyReturn", ofNoReadOnlyReturn, ChooserNoReadOnlyReturn},
    {"ofNoTestFileCreate", ofNoTestFileCreate, ChooserNoTestFileCreate},
    {"ofNoNetworkButton", ofNoNetworkButton, ChooserNoNetworkButton},
    {"ofNoLongNames", ofNoLongNames, ChooserNoLongNames},
    {"ofOldStyleDialog", ofOldStyleDialog, ChooserNewStyle},
    {"ofNoDereferenceLinks", ofNoDereferenceLinks, ChooserNoDereferenceLinks},
    {"ofEnableIncludeNotify", ofEnableIncludeNotify, ChooserEnableIncludeNotify},
    {"ofEnableSizing", ofEnableSizing, ChooserEnableSizing},
    {"ofDontAddToRecent", ofDontAddToRecent, ChooserDontAddToRecent},
    {"ofForceShowHidden", ofForceShowHidden, ChooserForceShowHidden},
};

constexpr OptionInfo<TOpenOptionEx> kOptionsEx[OpenOptionExCount] = {
    {"ofExNoPlacesBar", ofExNoPlacesBar, ChooserExNoPlacesBar}};

// The flags are looked up by the option's ordinal.
template <typename Table>
constexpr bool InOrdinalOrder(const Table& table) {
    for (int i = 0; i < int(std::size(table)); ++i)
        if (int(table[i].value) != i) return false;
    return true;
}
static_assert(InOrdinalOrder(kOptions) && InOrdinalOrder(kOptionsEx));

template <typename Options, typename Table>
Options OptionsOfLayout(const LayoutValue& value, const Table& table) {
    Options options;
    for (auto option : value.AsEnumList(table, "option")) options.Include(option);
    return options;
}

}  // namespace

uint32_t ChooserFlagsOf(TOpenOptions options) {
    uint32_t flags = ChooserEnableHook;
    for (int i = 0; i < OpenOptionCount; ++i)
        if (options.Has(TOpenOption(i))) flags |= kOptions[i].flag;
    return flags ^ ChooserNewStyle;
}

uint32_t ChooserFlagsExOf(TOpenOptionsEx options) {
    uint32_t flags = 0;
    for (int i = 0; i < OpenOptionExCount; ++i)
        if (options.Has(TOpenOptionEx(i))) flags |= kOptionsEx[i].flag;
    return flags;
}

TOpenOptions OpenOptionsOfLayout(const LayoutValue& value) { return OptionsOfLayout<TOpenOptions>(value, kOptions); }

TOpenOptionsEx OpenOptionsExOfLayout(const LayoutValue& value) {
    return OptionsOfLayout<TOpenOptionsEx>(value, kOptionsEx);
}
