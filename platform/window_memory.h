#pragma once
// What the main window keeps between runs (the width the user gave the tree, the folder the
// open-file dialog last showed): named values in one small store file.
#include <optional>
#include <string>
#include <string_view>

class TWindowMemory {
public:
    // The store in storeFile; nothing is read or written before a call needs it. An empty
    // name stores nothing.
    explicit TWindowMemory(std::string storeFile);
    // The user's store: "window" in the program's state folder.
    static TWindowMemory OfUser();

    // The value last remembered under name; nullopt when there is none, or the store is
    // missing or unreadable.
    std::optional<std::string> Recall(std::string_view name) const;
    std::optional<int> RecallNumber(std::string_view name) const;
    // Remembers value (any bytes) under name (letters, digits and '-'), keeping the other
    // names. False when the store could not be written.
    bool Remember(std::string_view name, std::string_view value);

private:
    std::string storeFile_;
};
