#pragma once
// Pop-up menus: items with a caption, separators ("-"), an enabled flag, an access key and a
// click event.
// The menu opens at a screen position; the chosen item's event runs after it has closed.
#include <string>
#include <vector>

#include "ui/component.h"
#include "ui/events.h"

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner) : TComponent(owner) {}
    ~TMenuItem() override;
    const char* ClassName() const override { return "TMenuItem"; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption) { caption_ = caption; }
    bool IsSeparator() const { return caption_ == "-"; }
    // Typing it picks the item while the menu is open; shown beside a caption that marks none.
    char16_t AccessKey() const { return accessKey_; }
    void SetAccessKey(char16_t key) { accessKey_ = key; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    // The menu that holds the item, if any.
    class TPopupMenu* Menu() const { return menu_; }

    TNotifyEvent OnClick;
    void Click();

    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

private:
    friend class TPopupMenu;
    std::string caption_;
    bool enabled_ = true;
    char16_t accessKey_ = 0;
    TPopupMenu* menu_ = nullptr;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner) : TComponent(owner) {}
    ~TPopupMenu() override;
    const char* ClassName() const override { return "TPopupMenu"; }

    int ItemCount() const { return int(items_.size()); }
    TMenuItem* Item(int index) const { return items_[size_t(index)]; }
    void Add(TMenuItem* item);
    void Remove(TMenuItem* item);

    // Raised just before the menu opens.
    TNotifyEvent OnPopup;
    // Opens the menu at a screen position and returns when it has closed; the chosen item's
    // OnClick runs then.
    void Popup(int screenX, int screenY);

    bool AdoptChild(TComponent& child) override;
    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

private:
    std::vector<TMenuItem*> items_;
};

// Test seam: when set, Popup hands the menu to it instead of opening it on screen; it
// answers the item the user would choose (or nullptr).
using PopupMenuChooser = std::function<TMenuItem*(TPopupMenu& menu, int screenX, int screenY)>;
void SetPopupMenuChooser(PopupMenuChooser chooser);
