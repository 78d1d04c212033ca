#pragma once
// Image lists: same-sized images addressed by index, shared by the tree and the list. The
// images are our drawn pictures, named in the layout: Images = ["file", "section", "key"].
#include <string>
#include <vector>

#include "ui/component.h"

class QIcon;
class QPixmap;

class TImageList;

// A view that shows images of a list learns when they change or the list goes away.
class ImageListClient {
public:
    virtual void ImageListChanged(TImageList& list) = 0;
    virtual void ImageListDestroyed(TImageList& list) = 0;

protected:
    virtual ~ImageListClient() = default;
};

// Points slot at next, moving client's registration from the old list to the new one.
void AttachImageList(TImageList*& slot, TImageList* next, ImageListClient& client);

class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* owner);
    ~TImageList() override;
    const char* ClassName() const override { return "TImageList"; }

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing the size renders every image again.
    void SetSize(int width, int height);
    // Growth step of the storage; kept for the layout, storage grows as it needs.
    int AllocBy() const { return allocBy_; }
    void SetAllocBy(int allocBy) { allocBy_ = allocBy; }

    int Count() const { return int(names_.size()); }
    // Appends one of our drawn images by name; returns its index.
    int AddDrawn(const std::string& name);
    void Clear();

    // The image at index, sharp at 1x, 2x and the screens' own ratios; a null icon when index
    // is out of range.
    QIcon Icon(int index) const;
    // The image at index for one pixel ratio; a null pixmap when index is out of range.
    QPixmap Pixmap(int index, double devicePixelRatio) const;

    void AddClient(ImageListClient* client);
    void RemoveClient(ImageListClient* client);

    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

private:
    void Changed();

    int width_ = 16;
    int height_ = 16;
    int allocBy_ = 4;
    std::vector<std::string> names_;
    mutable std::vector<QIcon> icons_;  // rendered on first use
    std::vector<ImageListClient*> clients_;
};
