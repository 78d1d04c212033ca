#include "ui/image_list.h"

#include <QIcon>

#include <algorithm>

#include "platform/drawn_images.h"
#include "ui/layout_reader.h"

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

TImageList::~TImageList() {
    for (ImageListClient* client : std::vector<ImageListClient*>(clients_)) client->ImageListDestroyed(*this);
}

void TImageList::SetSize(int width, int height) {
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    icons_.clear();
    Changed();
}

int TImageList::AddDrawn(const std::string& name) {
    names_.push_back(name);
    icons_.clear();
    Changed();
    return Count() - 1;
}

void TImageList::Clear() {
    names_.clear();
    icons_.clear();
    Changed();
}

QIcon TImageList::Icon(int index) const {
    if (index < 0 || index >= Count()) return {};
    if (icons_.empty()) {
        icons_.resize(names_.size());
        for (size_t i = 0; i < names_.size(); ++i)
            icons_[i] = DrawnIcon(names_[i], QSize(width_, height_), DisabledLook::Styled);
    }
    return icons_[size_t(index)];
}

QPixmap TImageList::Pixmap(int index, double devicePixelRatio) const {
    if (index < 0 || index >= Count()) return {};
    return DrawnImage(names_[size_t(index)], QSize(width_, height_), devicePixelRatio);
}

void TImageList::AddClient(ImageListClient* client) {
    if (std::find(clients_.begin(), clients_.end(), client) == clients_.end()) clients_.push_back(client);
}

void TImageList::RemoveClient(ImageListClient* client) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

void TImageList::Changed() {
    for (ImageListClient* client : std::vector<ImageListClient*>(clients_)) client->ImageListChanged(*this);
}

bool TImageList::ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) {
    if (name == "Width") SetSize(value.AsInt(), height_);
    else if (name == "Height") SetSize(width_, value.AsInt());
    else if (name == "AllocBy") SetAllocBy(value.AsInt());
    else if (name == "Images") {
        Clear();
        for (const LayoutValue& item : value.AsList()) {
            std::string drawn = item.GetKind() == LayoutValue::Kind::Name ? item.AsName() : item.AsText();
            if (!IsDrawnImageName(drawn))
                throw ELayoutError("Unknown image " + drawn);
            AddDrawn(drawn);
        }
    } else return TComponent::ApplyProperty(name, value, reader);
    return true;
}

void AttachImageList(TImageList*& slot, TImageList* next, ImageListClient& client) {
    if (slot) slot->RemoveClient(&client);
    slot = next;
    if (slot) slot->AddClient(&client);
}
