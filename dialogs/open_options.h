#pragma once
// The options of the open-file dialog and the chooser flag that each one adds.
#include <cstdint>
#include <initializer_list>

class LayoutValue;

enum TOpenOption {
    ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
    ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
    ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
    ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing,
    ofDontAddToRecent, ofForceShowHidden
};
constexpr int OpenOptionCount = 22;

enum TOpenOptionEx { ofExNoPlacesBar };
constexpr int OpenOptionExCount = 1;

// A set of options stored as 32 bits, bit = ordinal.
template <typename Option>
class TOptionSet {
public:
    constexpr TOptionSet() = default;
    constexpr TOptionSet(std::initializer_list<Option> options) {
        for (Option o : options) Include(o);
    }
    constexpr bool Has(Option o) const { return (bits_ >> unsigned(o)) & 1u; }
    constexpr void Include(Option o) { bits_ |= 1u << unsigned(o); }
    constexpr void Exclude(Option o) { bits_ &= ~(1u << unsigned(o)); }
    constexpr void Set(Option o, bool on) { on ? Include(o) : Exclude(o); }
    friend constexpr bool operator==(TOptionSet, TOptionSet) = default;

private:
    uint32_t bits_ = 0;
};

using TOpenOptions = TOptionSet<TOpenOption>;
using TOpenOptionsEx = TOptionSet<TOpenOptionEx>;

// The request flags of a run: the hook flag, every option's flag, and the new-style flag
// flipped (so it is set unless ofOldStyleDialog is).
uint32_t ChooserFlagsOf(TOpenOptions options);
uint32_t ChooserFlagsExOf(TOpenOptionsEx options);

// The options that a layout names, as in Options = [ofHideReadOnly, ofEnableSizing];
// ELayoutError "Unknown option <name>" for a name that is no option.
TOpenOptions OpenOptionsOfLayout(const LayoutValue& value);
TOpenOptionsEx OpenOptionsExOfLayout(const LayoutValue& value);
