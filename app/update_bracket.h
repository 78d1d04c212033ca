#pragma once
// Holds a view's (or list's) update bracket open for a scope, closing it on every path.
template <typename Updatable>
class UpdateBracket {
public:
    explicit UpdateBracket(Updatable& target) : target_(target) { target_.BeginUpdate(); }
    ~UpdateBracket() { target_.EndUpdate(); }
    UpdateBracket(const UpdateBracket&) = delete;
    UpdateBracket& operator=(const UpdateBracket&) = delete;

private:
    Updatable& target_;
};
