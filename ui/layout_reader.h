#pragma once
// Window layouts: declarative text files of our own format, one per window class, embedded
// in the binary and applied property by property in file order.
//
//   Form1 : TForm1 {
//     Caption = "Ini文件查看器"         // texts are UTF-8, converted to the code page
//     Anchors = [left, top]             // lists
//     Font = { Name = "宋体"; Height = -12 }   // records
//     OnClick = tree1Click              // events name a handler of the window
//     tree1 : TTreeView { Left = 0 }    // owned components, created where they stand
//   }
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/exception.h"
#include "ui/events.h"
#include "ui/layout_value.h"

class TComponent;

DECLARE_ERROR_CLASS(ELayoutError, Exception);
DECLARE_ERROR_CLASS(EResNotFound, Exception);

class LayoutReader {
public:
    LayoutReader(TComponent& root, const HandlerTable& handlers) : root_(root), handlers_(handlers) {}

    // Applies a whole layout text to the root component.
    void Apply(std::string_view text, std::string_view expectedClass);

    // The handler that an event property names; ELayoutError when it is missing or of
    // another signature.
    template <typename Event>
    Event Handler(const LayoutValue& value) const {
        const EventHandler& handler = FindHandler(value.AsName());
        if (const Event* e = std::get_if<Event>(&handler)) return *e;
        throw ELayoutError("Handler " + value.AsName() + " has another signature");
    }

    // A property that names another component of the layout, which may stand further down:
    // assign runs once the whole layout is read.
    void ResolveLater(const LayoutValue& componentName, std::function<void(TComponent*)> assign);

private:
    struct Fixup {
        std::string name;
        std::function<void(TComponent*)> assign;
    };
    const EventHandler& FindHandler(const std::string& name) const;

    TComponent& root_;
    const HandlerTable& handlers_;
    std::vector<Fixup> fixups_;
    friend class LayoutApplier;
};

// Finds the layout of a window class (registered text first, then the embedded files) and
// applies it; EResNotFound "Resource %s not found" when the class has none.
void LoadLayout(TComponent& root, std::string_view className, const HandlerTable& handlers);
// Registers a layout text under a class name (tests use it for windows of their own).
void RegisterLayoutText(std::string className, std::string text);
