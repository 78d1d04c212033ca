#pragma once
// Drop-down lists: one item chosen from a fixed list of texts (bytes in the control's text
// code page). OnChange reports a choice the user made, never one made in code.
#include <string>
#include <vector>

#include "ui/control.h"

class QComboBox;

class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* owner, TWinControl* parent = nullptr);
    const char* ClassName() const override { return "TComboBox"; }

    // Replaces the items; none is chosen afterwards.
    void SetItems(std::vector<std::string> items);
    int ItemCount() const { return int(items_.size()); }
    const std::string& Item(int index) const { return items_[size_t(index)]; }
    // The chosen item; -1 for none.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);

    TNotifyEvent OnChange;

    bool WantsKey(const KeyRecord& key) const override;
    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

protected:
    // The items are shown in the text code page.
    void ShowCaption() override;

private:
    QComboBox* Box() const;
    void ShowItems();
    void UserChose(int index);

    std::vector<std::string> items_;
    int itemIndex_ = -1;
    bool showing_ = false;
};
