#pragma once
// What the tree view and the list view share: a toolkit item view inside, captions edited in
// place, a selection that can hide without the focus, one image list, the update bracket of
// their items, and the mouse on the view's client area.
#include "ui/control.h"
#include "ui/image_list.h"

// Two parts of an item's tooltip, one above the other; either may be empty.
std::string JoinedHint(const std::string& first, const std::string& second);

class QAbstractItemModel;
class QMouseEvent;
class ItemViewWidget;

class TCustomItemView : public TWinControl, private ImageListClient {
public:
    // On: the selected item is not highlighted while the view has no focus.
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool hide);
    // Off: an item's caption can be edited in place (F2, or a click on the selected item).
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool IsEditing() const;

    // A double click with the left button on an item (after the press it ends has been handled).
    TNotifyEvent OnDblClick;

    // Under the selected item, when it is in view.
    TPoint KeyboardMenuPoint() const override;
    bool WantsKey(const KeyRecord& key) const override;
    bool WantsCharacters() const override { return true; }
    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

protected:
    TCustomItemView(TComponent* owner, ItemViewWidget* view);
    // Shows the model in the view, with in-place caption editing and the selection reported.
    void ShowModel(QAbstractItemModel& model);
    // The view goes before the items it shows: derived destructors call this first. Deleted
    // outright rather than released, so that whoever watches it (assistive technologies
    // among them) learns that it is gone.
    void DeleteView();
    ItemViewWidget* View() const;
    bool WidgetEvent(QEvent& event) override;
    void FollowPalette() override;

    // The items' update bracket: while it is open, structure changes reset the model once,
    // at its end, and changes of items repaint the view once.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    bool Updating() const { return updateCount_ > 0; }
    // True while the model is reset for the open bracket: it shows nothing then.
    bool Resetting() const { return resetting_; }
    // A structure change inside the bracket starts the reset.
    void BeforeStructureChange();
    // Whether a change of an item waits for the end of the bracket (it is repainted then).
    bool DeferItemChange();
    // The selection is cleared before its item goes, so the view does not pass it on.
    void ForgetShownSelection();

    TImageList* ImageList() const { return images_; }
    void SetImageList(TImageList* images);
    // A layout property that names the image list.
    void ResolveImageList(const LayoutValue& value, LayoutReader& reader);
    // The images changed or went away: the view takes their size and lays out again.
    virtual void ImagesChanged();

    // Mouse presses on the view's client area: the view is given the press where it may move
    // the selection; note a left press that a release is to complete as a click.
    virtual void PressOnView(QMouseEvent& mouse) = 0;
    // A release that the view itself should see.
    virtual bool ViewTakesRelease(const QMouseEvent& mouse) const = 0;
    void NoteLeftPress(bool pressed) { leftPressed_ = pressed; }
    // The selection colours for the focus the view has now.
    virtual void ApplySelectionColours() = 0;
    // The model is about to be reset, or has been: the view shows what the reset dropped.
    virtual void BeginModelReset() = 0;
    virtual void EndModelReset() = 0;
    virtual void SelectionChangedByView() = 0;

private:
    friend class ItemViewWidget;
    // Mouse events of the view's client area; true consumes them.
    bool ViewportEvent(QEvent& event);
    void UpdateEnded();
    void ImageListChanged(TImageList& list) override;
    void ImageListDestroyed(TImageList& list) override;

    TImageList* images_ = nullptr;
    int updateCount_ = 0;
    bool hideSelection_ = true;
    bool readOnly_ = false;
    bool resetting_ = false;
    bool repaintAfterUpdate_ = false;
    bool leftPressed_ = false;
};
